#include "net/ReconnectSchedule.h"

#include <QList>
#include <QTest>

class tst_ReconnectSchedule : public QObject
{
    Q_OBJECT
private slots:
    void delays_data()
    {
        QTest::addColumn<QList<double>>("random"); // one number per wait, repeated from the last
        QTest::addColumn<QList<int>>("delays");

        QTest::newRow("no jitter: doubling up to a minute")
            << QList<double>{0.0} << QList<int>{1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000, 60000};
        QTest::newRow("most jitter: a fifth shorter")
            << QList<double>{0.999999} << QList<int>{801, 1601, 3201, 6401, 12801, 25601, 48001, 48001};
        QTest::newRow("jitter half way")
            << QList<double>{0.5} << QList<int>{900, 1800, 3600, 7200, 14400, 28800, 54000};
        QTest::newRow("each wait its own share")
            << QList<double>{0.25, 0.0, 0.75, 0.1} << QList<int>{950, 2000, 3400, 7840};
        QTest::newRow("a source out of range is held to it")
            << QList<double>{-3.0, 7.0} << QList<int>{1000, 1600};
    }
    void delays()
    {
        QFETCH(QList<double>, random);
        QFETCH(QList<int>, delays);
        qsizetype drawn = 0;
        ReconnectSchedule schedule([&] { return random.at(std::min(drawn++, random.size() - 1)); });
        QList<int> got;
        for (qsizetype i = 0; i < delays.size(); ++i)
            got.append(schedule.nextDelayMs());
        QCOMPARE(got, delays);
    }

    // Many lost connections in one run never wait more than a minute, and a restart begins again.
    void longRunsStayWithinAMinuteAndRestart()
    {
        ReconnectSchedule schedule([] { return 0.0; });
        for (int i = 0; i < 100000; ++i)
            QVERIFY(schedule.nextDelayMs() == 60000 || i < 6);
        schedule.restart();
        QCOMPARE(schedule.nextDelayMs(), 1000);
        QCOMPARE(schedule.nextDelayMs(), 2000);
    }

    void systemRandomStaysInRange()
    {
        ReconnectSchedule schedule;
        for (int attempt = 0; attempt < 8; ++attempt) {
            const int full = std::min(1000 << attempt, 60000);
            const int delay = schedule.nextDelayMs();
            QVERIFY2(delay > full * 4 / 5 && delay <= full, qPrintable(QString::number(delay)));
        }
    }
};

QTEST_GUILESS_MAIN(tst_ReconnectSchedule)
#include "tst_reconnectschedule.moc"
