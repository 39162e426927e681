#include "transcript/RowHeights.h"

#include <QRandomGenerator>
#include <QTest>

class tst_RowHeights : public QObject
{
    Q_OBJECT
private slots:
    // The tree against plain sums, through appends and measurements in any order.
    void agreesWithPlainSums()
    {
        QRandomGenerator random(1290);
        RowHeights heights;
        QList<int> plain;
        for (int step = 0; step < 3000; ++step) {
            if (plain.isEmpty() || random.bounded(3) != 0) {
                if (random.bounded(5) == 0) {
                    heights.appendFixed(0);
                    plain.append(0);
                } else {
                    heights.appendEstimated();
                    plain.append(heights.estimate());
                }
            } else {
                const int row = random.bounded(int(plain.size()));
                const int height = random.bounded(60);
                heights.setMeasured(row, height);
                plain[row] = height;
            }
        }
        qint64 top = 0;
        for (int row = 0; row < plain.size(); ++row) {
            QCOMPARE(heights.top(row), top);
            QCOMPARE(heights.height(row), plain.at(row));
            for (int offset = 0; offset < plain.at(row); offset += 7) {
                const RowHeights::Position position = heights.rowAt(top + offset);
                QCOMPARE(position.row, row);
                QCOMPARE(position.offset, offset);
            }
            top += plain.at(row);
        }
        QCOMPARE(heights.total(), top);
        QCOMPARE(heights.rowAt(top).row, heights.count());
    }

    void skipsRowsThatShowNothing()
    {
        RowHeights heights;
        for (const int height : {0, 10, 0, 0, 5}) {
            heights.appendEstimated();
            heights.setMeasured(heights.count() - 1, height);
        }
        QCOMPARE(heights.rowAt(0).row, 1);
        QCOMPARE(heights.rowAt(10).row, 4);
        QCOMPARE(heights.rowAt(14).row, 4);
        QCOMPARE(heights.rowAt(14).offset, 4);
    }

    void estimatesFromTheRowsMeasured()
    {
        RowHeights heights;
        heights.appendEstimated();
        QCOMPARE(heights.height(0), heights.estimate());
        heights.setMeasured(0, 20);
        heights.appendFixed(0);
        heights.appendEstimated();
        heights.setMeasured(2, 30);
        QCOMPARE(heights.estimate(), 25);
        heights.appendEstimated();
        QCOMPARE(heights.height(3), 25);
        QVERIFY(!heights.isMeasured(3));
    }

    void forgettingKeepsTheHeightsAsEstimates()
    {
        RowHeights heights;
        heights.appendEstimated();
        heights.setMeasured(0, 42);
        heights.forgetMeasurements();
        QVERIFY(!heights.isMeasured(0));
        QCOMPARE(heights.height(0), 42);
        QCOMPARE(heights.total(), 42);
    }
};

QTEST_GUILESS_MAIN(tst_RowHeights)
#include "tst_rowheights.moc"
