#include "notify/ChatTrayMenu.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHash>
#include <QMenu>
#include <QPointer>
#include <QTest>

namespace {

// Stands in for the chat window: like it, it deletes its tray component when it closes.
class ChatWindow : public QWidget
{
public:
    QPointer<frmSysTray> m_frmSysTray = new frmSysTray(this);
    int closes = 0;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++closes;
        delete m_frmSysTray;
        event->accept();
    }
};

QMenu *openMenu()
{
    return qobject_cast<QMenu *>(QApplication::activePopupWidget());
}

} // namespace

class tst_ChatTrayMenu : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        if (QMenu *menu = openMenu())
            menu->close();
    }

    void setUpGivesMenuToolTipAndPicture()
    {
        ChatWindow window;
        new ChatTrayMenu(*window.m_frmSysTray, window);

        QCOMPARE(window.m_frmSysTray->ToolTip(), QStringLiteral("Korvani 1.0!"));
        QVERIFY(!window.m_frmSysTray->IconHandle().isNull());
        QCOMPARE(window.m_frmSysTray->DefaultMenuIndex(), 0);

        window.m_frmSysTray->ShowMenu();
        QMenu *menu = openMenu();
        QVERIFY(menu);
        const QList<QAction *> actions = menu->actions();
        QCOMPARE(actions.size(), 3);
        QCOMPARE(actions.at(0)->text(), QStringLiteral("&Show"));
        QCOMPARE(menu->defaultAction(), actions.at(0));
        QVERIFY(actions.at(0)->font().bold());
        QVERIFY(actions.at(1)->isSeparator());
        QCOMPARE(actions.at(2)->text(), QStringLiteral("&Close"));
    }

    // What happens to a hidden chat window. Actions: "tray:<reason>" is activity on the icon,
    // "menu:<row>" chooses the row of the menu a right press opened, "key:<key>" a menu click
    // carrying that key.
    void trayEventsActOnTheWindow_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("minimised");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("menuOpen");
        QTest::addColumn<bool>("closed");

        QTest::newRow("left click does nothing") << "tray:Trigger" << false << false << false << false;
        QTest::newRow("double click shows the window") << "tray:DoubleClick" << false << true << false << false;
        QTest::newRow("double click leaves a minimised window minimised")
            << "tray:DoubleClick" << true << true << false << false;
        QTest::newRow("middle click does nothing") << "tray:MiddleClick" << false << false << false << false;
        QTest::newRow("right press opens the menu") << "tray:Context" << false << false << true << false;
        QTest::newRow("&Show shows the window") << "menu:0" << false << true << false << false;
        QTest::newRow("&Close closes the window") << "menu:2" << false << false << false << true;
        QTest::newRow("keys are compared with letter case") << "key:Open" << false << false << false << false;
        QTest::newRow("unknown key does nothing") << "key:other" << false << false << false << false;
    }

    void trayEventsActOnTheWindow()
    {
        QFETCH(QString, action);
        QFETCH(bool, minimised);
        QFETCH(bool, shown);
        QFETCH(bool, menuOpen);
        QFETCH(bool, closed);

        ChatWindow window;
        if (minimised)
            window.setWindowState(Qt::WindowMinimized);
        new ChatTrayMenu(*window.m_frmSysTray, window);

        const QString how = action.section(QLatin1Char(':'), 0, 0);
        const QString what = action.section(QLatin1Char(':'), 1);
        if (how == QLatin1String("tray")) {
            const QHash<QString, QSystemTrayIcon::ActivationReason> reasons{
                {"Trigger", QSystemTrayIcon::Trigger},
                {"DoubleClick", QSystemTrayIcon::DoubleClick},
                {"Context", QSystemTrayIcon::Context},
                {"MiddleClick", QSystemTrayIcon::MiddleClick}};
            QVERIFY(reasons.contains(what));
            emit window.m_frmSysTray->findChild<QSystemTrayIcon *>()->activated(reasons.value(what));
        } else if (how == QLatin1String("menu")) {
            emit window.m_frmSysTray->SysTrayMouseDown(frmSysTray::RightButton);
            QMenu *menu = openMenu();
            QVERIFY(menu);
            menu->actions().at(what.toInt())->trigger();
            menu->close();
        } else {
            emit window.m_frmSysTray->MenuClick(0, what);
        }

        QTRY_COMPARE(window.closes, closed ? 1 : 0);
        QCOMPARE(window.isVisible(), shown);
        QCOMPARE(window.windowState().testFlag(Qt::WindowMinimized), minimised);
        QCOMPARE(openMenu() != nullptr, menuOpen);
        QCOMPARE(window.m_frmSysTray.isNull(), closed);
    }
};

QTEST_MAIN(tst_ChatTrayMenu)
#include "tst_chattraymenu.moc"
