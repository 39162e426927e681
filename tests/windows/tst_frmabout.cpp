#include "app/Form.h"
#include "windows/frmAbout.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

class tst_frmAbout : public QObject
{
    Q_OBJECT
private slots:
    void showsVersionAndMakers()
    {
        frmAbout *about = Form<frmAbout>::get();
        QCOMPARE(about->windowTitle(), QStringLiteral("About"));
        QCOMPARE(about->lblVersion->text(), QStringLiteral("1.1.1"));
        QCOMPARE(about->lblAuthor->text(), QStringLiteral("The Korvani team"));
        QVERIFY(!about->lblWebsite->text().isEmpty());
        QVERIFY(!about->Label4->text().isEmpty());
        QVERIFY(!about->Image1->pixmap().isNull());
        QCOMPARE(about->size(), QSize(423, 122));
    }

    // OK unloads, so the next showing loads the window afresh.
    void okUnloads()
    {
        frmAbout *about = Form<frmAbout>::get();
        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about));

        QTest::mouseClick(about->cmdoK, Qt::LeftButton);

        QVERIFY(!Form<frmAbout>::isLoaded());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        frmAbout *again = Form<frmAbout>::get();
        QVERIFY(!again->isVisible());
        QCOMPARE(again->lblVersion->text(), QStringLiteral("1.1.1"));
    }
};

QTEST_MAIN(tst_frmAbout)
#include "tst_frmabout.moc"
