#include "windows/UserNameIndex.h"

#include <QListWidget>
#include <QTest>

namespace {

// The first position at or after from holding name, found by walking the list.
int walked(const QListWidget &list, const QString &name, int from)
{
    for (int position = qMax(from, 0); position < list.count(); ++position) {
        if (list.item(position)->text() == name)
            return position;
    }
    return -1;
}

// One change to the list, written "add NAME", "insert POSITION NAME", "take POSITION",
// "rename POSITION NAME", "sort" or "clear".
void apply(QListWidget &list, const QString &step)
{
    const QStringList words = step.split(QLatin1Char(' '));
    const QString &verb = words.first();
    if (verb == QLatin1String("add"))
        list.addItem(words.at(1));
    else if (verb == QLatin1String("insert"))
        list.insertItem(words.at(1).toInt(), words.at(2));
    else if (verb == QLatin1String("take"))
        delete list.takeItem(words.at(1).toInt());
    else if (verb == QLatin1String("rename"))
        list.item(words.at(1).toInt())->setText(words.at(2));
    else if (verb == QLatin1String("sort"))
        list.sortItems();
    else if (verb == QLatin1String("clear"))
        list.clear();
}

} // namespace

// The index finds what walking the list finds, whatever changed the list and however often a
// name occurs in it.
class tst_UserNameIndex : public QObject
{
    Q_OBJECT
private slots:
    void findsWhatAWalkFinds_data()
    {
        QTest::addColumn<QStringList>("steps");

        QTest::newRow("names added") << QStringList{"add ann", "add bob", "add cy"};
        QTest::newRow("duplicates") << QStringList{"add ann", "add bob", "add ann", "add ann", "add cy", "add ann"};
        QTest::newRow("first, middle and last taken")
            << QStringList{"add ann", "add bob", "add ann", "add cy", "add ann", "take 0", "take 1", "take 2"};
        QTest::newRow("every entry taken, then added again")
            << QStringList{"add ann", "add ann", "take 0", "take 0", "add ann", "add bob"};
        QTest::newRow("inserted between duplicates")
            << QStringList{"add ann", "add bob", "add ann", "insert 1 ann", "insert 0 bob", "insert 5 cy"};
        QTest::newRow("cleared") << QStringList{"add ann", "add bob", "clear", "add bob", "add ann"};
        QTest::newRow("renamed in place") << QStringList{"add ann", "add bob", "add ann", "rename 0 bob", "rename 1 cy"};
        QTest::newRow("sorted") << QStringList{"add cy", "add ann", "add bob", "add ann", "sort", "take 1"};
        QTest::newRow("empty names") << QStringList{"add ann", "insert 0 ", "add ", "take 1"};
    }

    void findsWhatAWalkFinds()
    {
        QFETCH(QStringList, steps);
        QListWidget list;
        const UserNameIndex index(list);
        const QStringList names{"ann", "bob", "cy", "dan", ""};

        for (const QString &step : steps) {
            apply(list, step);
            for (const QString &name : names) {
                for (int from = -1; from <= list.count() + 1; ++from)
                    QCOMPARE(index.find(name, from), walked(list, name, from));
            }
        }
    }

    // Names already in the list when the index is made are found as well.
    void listFilledBeforehand()
    {
        QListWidget list;
        list.addItems({"ann", "bob", "ann"});

        const UserNameIndex index(list);

        QCOMPARE(index.find("ann", 1), 2);
        QCOMPARE(index.find("bob", 0), 1);
    }
};

QTEST_MAIN(tst_UserNameIndex)
#include "tst_usernameindex.moc"
