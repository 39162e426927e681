#include "windows/UserListBox.h"

#include <QScreen>
#include <QTest>

namespace {

QStringList names(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("user %1 gjpy").arg(i);
    return list;
}

// A list of the size the main window gives it, shown, holding names.
struct ShownList
{
    explicit ShownList(const QStringList &names)
    {
        list.resize(121, 238);
        list.addItems(names);
        list.show();
    }

    // Shown, and what it had to do on showing done.
    bool exposed()
    {
        list.activateWindow();
        const bool exposed = QTest::qWaitForWindowActive(&list);
        QTest::qWait(50);
        return exposed;
    }

    // What the screen shows of the rows once the list has done what the last change asked (a
    // layout, the scroll bar's coming or going): the window's backing store, where a row left
    // unpainted after a change or a scroll stays visible.
    QImage shown()
    {
        QTest::qWait(30);
        const QRect rows(list.viewport()->mapTo(&list, QPoint(0, 0)), list.viewport()->size());
        return list.screen()->grabWindow(list.winId()).toImage().copy(rows).convertToFormat(QImage::Format_RGB32);
    }

    // Whether the screen shows what painting every row afresh would.
    bool showsAFreshPaint()
    {
        const QImage onScreen = shown();
        return onScreen == list.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    UserListBox list;
};

} // namespace

// The list places every row by arithmetic and repaints only what a change moved: whatever joins,
// leaves and scrolling did, the screen shows what painting the list afresh would show.
class tst_UserListBox : public QObject
{
    Q_OBJECT
private slots:
    void showsWhatItWouldPaintAfresh_data()
    {
        QTest::addColumn<QList<int>>("keys");    // pressed first
        QTest::addColumn<QList<int>>("leaving"); // rows taken, one after the other
        QTest::addColumn<int>("joining");        // names added at the end

        const QList<int> none;
        const QList<int> toTheEnd{Qt::Key_End};
        QTest::newRow("the first name shown leaves") << none << QList<int>{0} << 0;
        QTest::newRow("names join below the rows shown") << none << none << 3;
        QTest::newRow("names leave below the rows shown") << none << QList<int>{35, 30} << 0;
        QTest::newRow("scrolled to the end") << toTheEnd << none << 0;
        QTest::newRow("scrolled to the end and back") << QList<int>{Qt::Key_End, Qt::Key_PageUp, Qt::Key_Home} << none << 0;
        QTest::newRow("scrolled to the end, names join") << toTheEnd << none << 2;
        QTest::newRow("scrolled to the end, a name above leaves") << toTheEnd << QList<int>{0} << 0;
        QTest::newRow("scrolled to the end, a shown name leaves") << toTheEnd << QList<int>{38} << 0;
        QTest::newRow("fewer names than rows shown") << none << QList<int>(30, 0) << 0;
    }

    void showsWhatItWouldPaintAfresh()
    {
        QFETCH(QList<int>, keys);
        QFETCH(QList<int>, leaving);
        QFETCH(int, joining);
        ShownList shown(names(40));
        QVERIFY(shown.exposed());

        for (const int key : keys) {
            QTest::keyClick(shown.list.viewport(), Qt::Key(key));
            QVERIFY(shown.showsAFreshPaint());
        }
        for (const int row : leaving) {
            delete shown.list.takeItem(row);
            QVERIFY(shown.showsAFreshPaint());
        }
        for (int i = 0; i < joining; ++i) {
            shown.list.addItem(QStringLiteral("new %1").arg(i));
            QVERIFY(shown.showsAFreshPaint());
        }
    }

    // Pointing, the keys and scrolling find the rows where they are painted, and a row brought
    // into view is shown whole.
    void rowsAreWhereTheyArePainted()
    {
        ShownList shown(names(100));
        QVERIFY(shown.exposed());
        UserListBox &list = shown.list;
        const QRect viewport = list.viewport()->rect();

        for (const int key : {Qt::Key_End, Qt::Key_PageUp, Qt::Key_Up, Qt::Key_Home, Qt::Key_PageDown, Qt::Key_Down}) {
            const int before = list.currentRow();
            QTest::keyClick(list.viewport(), Qt::Key(key));
            const QRect current = list.visualItemRect(list.currentItem());
            QVERIFY2(viewport.contains(current), qPrintable(QStringLiteral("key %1").arg(key)));
            QCOMPARE(list.itemAt(current.center()), list.currentItem());
            QCOMPARE(current.top() % current.height(), 0);
            if (key == Qt::Key_End)
                QCOMPARE(list.currentRow(), 99);
            if (key == Qt::Key_PageDown)
                QVERIFY(list.currentRow() > before + 1);
        }

        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(10, 40));
        QVERIFY(list.visualItemRect(list.currentItem()).contains(QPoint(10, 40)));
        QVERIFY(list.itemAt(QPoint(10, 100 * list.visualItemRect(list.item(0)).height())) == nullptr);
    }
};

QTEST_MAIN(tst_UserListBox)
#include "tst_userlistbox.moc"
