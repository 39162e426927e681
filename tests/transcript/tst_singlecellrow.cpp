#include "transcript/SingleCellRow.h"

#include <QTest>

class tst_SingleCellRow : public QObject
{
    Q_OBJECT
private slots:
    void showsOneCellTablesAsBlocks_data()
    {
        QTest::addColumn<QString>("fragment");
        QTest::addColumn<QString>("shown");
        const QString table = QStringLiteral("<table cellspacing='0' cellpadding='0'><tr>");
        const QString end = QStringLiteral("</td></tr></table>");
        QTest::newRow("message") << table + "<td class='message'>[1] bob: <b>hi</b>" + end
                                 << "<div class='message'>[1] bob: <b>hi</b></div>";
        QTest::newRow("no class") << table + "<td>[1] Server: hint" + end << "<div>[1] Server: hint</div>";
        QTest::newRow("pm") << table + "<td class='pm'>x" + end << "<div class='pm'>x</div>";
        QTest::newRow("rule inside") << table + "<td class='message'>a<hr>b" + end << "<div class='message'>a<hr>b</div>";
        QTest::newRow("empty cell keeps its line") << table + "<td class='system'>" + end << table + "<td class='system'>" + end;
        QTest::newRow("table markup inside") << table + "<td>a</td><td>b" + end << table + "<td>a</td><td>b" + end;
        QTest::newRow("nested table") << table + "<td><TABLE><tr><td>x</td></tr></TABLE>" + end
                                       << table + "<td><TABLE><tr><td>x</td></tr></TABLE>" + end;
        QTest::newRow("other attributes") << "<table cellspacing='1' cellpadding='0'><tr><td>x" + end
                                          << "<table cellspacing='1' cellpadding='0'><tr><td>x" + end;
        QTest::newRow("odd class") << table + "<td class='a b'>x" + end << table + "<td class='a b'>x" + end;
        QTest::newRow("banner") << "<div align='center'><span class='style1'>Welcome</span></div><hr>"
                                << "<div align='center'><span class='style1'>Welcome</span></div><hr>";
        QTest::newRow("unfinished table") << table + "<td>x" << table + "<td>x";
        QTest::newRow("empty") << "" << "";
    }
    void showsOneCellTablesAsBlocks()
    {
        QFETCH(QString, fragment);
        QFETCH(QString, shown);
        QCOMPARE(SingleCellRow::asBlock(fragment), shown);
    }
};

QTEST_GUILESS_MAIN(tst_SingleCellRow)
#include "tst_singlecellrow.moc"
