#include "windows/UserListBox.h"

#include <QScrollBar>
#include <QTest>

namespace {

QStringList names(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("user %1 gjpy").arg(i);
    return list;
}

// A list of the size the main window gives it, shown, holding names. It takes no focus, so no row
// becomes current or selected on its own when rows go.
struct ShownList
{
    explicit ShownList(const QStringList &names)
    {
        list.setFocusPolicy(Qt::NoFocus);
        list.resize(121, 238);
        list.addItems(names);
        list.show();
    }

    bool exposed() { return QTest::qWaitForWindowExposed(&list); }

    QImage shown()
    {
        QCoreApplication::processEvents();
        return list.viewport()->grab().toImage();
    }

    UserListBox list;
};

} // namespace

// The list places every row by arithmetic and repaints only what a change moved: whatever joins
// and leaves did, it shows exactly what a list filled afresh with the same names shows.
class tst_UserListBox : public QObject
{
    Q_OBJECT
private slots:
    void showsWhatAFreshListShows_data()
    {
        QTest::addColumn<bool>("scrolledToEnd");
        QTest::addColumn<QList<int>>("leaving"); // rows taken, one after the other
        QTest::addColumn<int>("joining");        // names added at the end

        QTest::newRow("the first name shown leaves") << false << QList<int>{0} << 0;
        QTest::newRow("names join below the rows shown") << false << QList<int>{} << 3;
        QTest::newRow("names leave below the rows shown") << false << QList<int>{35, 30} << 0;
        QTest::newRow("scrolled to the end, names join") << true << QList<int>{} << 2;
        QTest::newRow("scrolled to the end, a name above leaves") << true << QList<int>{0} << 0;
        QTest::newRow("scrolled to the end, a shown name leaves") << true << QList<int>{38} << 0;
        QTest::newRow("fewer names than rows shown") << false << QList<int>(30, 0) << 0;
    }

    void showsWhatAFreshListShows()
    {
        QFETCH(bool, scrolledToEnd);
        QFETCH(QList<int>, leaving);
        QFETCH(int, joining);
        QStringList expected = names(40);
        ShownList changed(expected);
        QVERIFY(changed.exposed());
        if (scrolledToEnd)
            changed.list.scrollToBottom();
        changed.shown();

        for (const int row : leaving) {
            delete changed.list.takeItem(row);
            expected.removeAt(row);
            changed.shown();
        }
        for (int i = 0; i < joining; ++i) {
            changed.list.addItem(QStringLiteral("new %1").arg(i));
            expected << QStringLiteral("new %1").arg(i);
            changed.shown();
        }

        ShownList fresh(expected);
        QVERIFY(fresh.exposed());
        fresh.list.verticalScrollBar()->setValue(changed.list.verticalScrollBar()->value());
        QCOMPARE(changed.shown(), fresh.shown());
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
