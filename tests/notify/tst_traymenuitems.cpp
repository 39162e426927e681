#include "notify/TrayMenuItems.h"

#include <QTest>

// Each case runs a list of steps on a fresh item array and compares the indices that the adds
// returned and the whole array afterwards. Steps: "add:caption:key" (with "add*" making the item
// the default), "remove:i", "disable:i", "enable:i", "default:i". The array is written as its items
// joined by ", ": caption/key, "*" before the default item, "(off)" after a disabled item,
// "[hidden]" for an item kept out of the menu; a default index naming no item is added as "*i".
class tst_TrayMenuItems : public QObject
{
    Q_OBJECT
private slots:
    void steps_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QList<int>>("addedIndices");
        QTest::addColumn<QString>("items");

        QTest::newRow("fresh array: only a hidden item 0, the default")
            << QStringList() << QList<int>() << QStringLiteral("*[hidden]/");
        QTest::newRow("first add uses item 0, second appends")
            << QStringList{"add:A:a", "add:B:b"} << QList<int>{0, 1} << QStringLiteral("*A/a, B/b");
        QTest::newRow("default on a later item moves the bold item")
            << QStringList{"add*:A:a", "add:B:b", "add*:C:c"} << QList<int>{0, 1, 2}
            << QStringLiteral("A/a, B/b, *C/c");
        QTest::newRow("the tray menu of the chat window")
            << QStringList{"add*:&Show:open", "add:-:", "add:&Close:close"} << QList<int>{0, 1, 2}
            << QStringLiteral("*&Show/open, -/, &Close/close");
        QTest::newRow("removing 1 of four moves the later items down with their keys")
            << QStringList{"add:A:a", "add:B:b", "add:C:c", "add:D:d", "remove:1"} << QList<int>{0, 1, 2, 3}
            << QStringLiteral("*A/a, C/c, D/d");
        QTest::newRow("removing the last item")
            << QStringList{"add:A:a", "add:B:b", "remove:1"} << QList<int>{0, 1} << QStringLiteral("*A/a");
        QTest::newRow("removing 0 empties its caption, keeps its key; next add appends")
            << QStringList{"add:A:a", "add:B:b", "add:C:c", "add:D:d", "remove:0", "add:E:e"}
            << QList<int>{0, 1, 2, 3, 4} << QStringLiteral("*/a, B/b, C/c, D/d, E/e");
        QTest::newRow("removing 0 before any add still leaves item 0 to the first add")
            << QStringList{"remove:0", "add:A:a"} << QList<int>{0} << QStringLiteral("*A/a");
        QTest::newRow("removal leaves the default index where it was")
            << QStringList{"add:A:a", "add:B:b", "add*:C:c", "remove:1"} << QList<int>{0, 1, 2}
            << QStringLiteral("A/a, C/c, *2");
        QTest::newRow("removing invalid indices changes nothing")
            << QStringList{"add:A:a", "add:B:b", "remove:-1", "remove:2", "remove:32767"} << QList<int>{0, 1}
            << QStringLiteral("*A/a, B/b");
        QTest::newRow("default written with a valid index")
            << QStringList{"add:A:a", "add:B:b", "default:1"} << QList<int>{0, 1} << QStringLiteral("A/a, *B/b");
        QTest::newRow("default written past the last item reads back 0")
            << QStringList{"add:A:a", "add*:B:b", "default:2"} << QList<int>{0, 1} << QStringLiteral("*A/a, B/b");
        QTest::newRow("default written negative reads back 0")
            << QStringList{"add:A:a", "add*:B:b", "default:-1"} << QList<int>{0, 1} << QStringLiteral("*A/a, B/b");
        QTest::newRow("disable and enable again")
            << QStringList{"add:A:a", "add:B:b", "add:C:c", "disable:1", "disable:2", "enable:2"}
            << QList<int>{0, 1, 2} << QStringLiteral("*A/a, B/b(off), C/c");
        QTest::newRow("enabling invalid indices changes nothing")
            << QStringList{"add:A:a", "disable:1", "disable:-1"} << QList<int>{0} << QStringLiteral("*A/a");
        QTest::newRow("a disabled item stays disabled when it moves down")
            << QStringList{"add:A:a", "add:B:b", "add:C:c", "disable:2", "remove:1"} << QList<int>{0, 1, 2}
            << QStringLiteral("*A/a, C/c(off)");
        QTest::newRow("the removed item's disabled state does not pass to the next")
            << QStringList{"add:A:a", "add:B:b", "add:C:c", "disable:1", "remove:1"} << QList<int>{0, 1, 2}
            << QStringLiteral("*A/a, C/c");
    }

    void steps()
    {
        QFETCH(QStringList, steps);
        QFETCH(QList<int>, addedIndices);
        QFETCH(QString, items);

        TrayMenuItems menu;
        QList<int> added;
        for (const QString &step : steps) {
            const QStringList parts = step.split(QLatin1Char(':'));
            const QString &verb = parts.at(0);
            if (verb.startsWith(QLatin1String("add")))
                added.append(menu.add(parts.at(1), parts.at(2), verb == QLatin1String("add*")));
            else if (verb == QLatin1String("remove"))
                menu.remove(parts.at(1).toInt());
            else if (verb == QLatin1String("disable") || verb == QLatin1String("enable"))
                menu.setEnabled(parts.at(1).toInt(), verb == QLatin1String("enable"));
            else if (verb == QLatin1String("default"))
                menu.setDefaultIndex(parts.at(1).toInt());
            else
                QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
        }

        QCOMPARE(added, addedIndices);
        QCOMPARE(describe(menu), items);
    }

    void separatorIsExactlyOneDash_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("separator");
        QTest::newRow("dash") << QStringLiteral("-") << true;
        QTest::newRow("two dashes") << QStringLiteral("--") << false;
        QTest::newRow("dash with blank") << QStringLiteral("- ") << false;
        QTest::newRow("empty") << QString() << false;
    }

    void separatorIsExactlyOneDash()
    {
        QFETCH(QString, caption);
        QFETCH(bool, separator);
        TrayMenuItems menu;
        menu.add(caption, QString(), false);
        QCOMPARE(menu.at(0).isSeparator(), separator);
    }

private:
    static QString describe(const TrayMenuItems &menu)
    {
        QStringList items;
        for (int i = 0; i < menu.count(); ++i) {
            const TrayMenuItems::Item &item = menu.at(i);
            QString text = item.caption + QLatin1Char('/') + item.key;
            if (!menu.isShown(i))
                text.prepend(QLatin1String("[hidden]"));
            if (i == menu.defaultIndex())
                text.prepend(QLatin1Char('*'));
            if (!item.enabled)
                text.append(QLatin1String("(off)"));
            items.append(text);
        }
        if (!menu.isValidIndex(menu.defaultIndex()))
            items.append(QLatin1Char('*') + QString::number(menu.defaultIndex()));
        return items.join(QLatin1String(", "));
    }
};

QTEST_GUILESS_MAIN(tst_TrayMenuItems)
#include "tst_traymenuitems.moc"
