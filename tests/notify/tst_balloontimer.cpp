#include "notify/BalloonTimer.h"

#include <QSignalSpy>
#include <QTest>

class tst_BalloonTimer : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_events.clear(); }

    void displayTimeKeepsWithinTheTrayLimits_data()
    {
        QTest::addColumn<int>("requestedMs");
        QTest::addColumn<int>("shownMs");
        QTest::newRow("message of the day asks for 50 ms") << 50 << 5000;
        QTest::newRow("join asks for 3 s") << 3000 << 5000;
        QTest::newRow("zero") << 0 << 5000;
        QTest::newRow("negative") << -1 << 5000;
        QTest::newRow("shortest") << 5000 << 5000;
        QTest::newRow("between") << 12000 << 12000;
        QTest::newRow("longest") << 30000 << 30000;
        QTest::newRow("too long") << 600000 << 30000;
    }

    void displayTimeKeepsWithinTheTrayLimits()
    {
        QFETCH(int, requestedMs);
        QFETCH(int, shownMs);
        QCOMPARE(BalloonTimer::displayTime(requestedMs), shownMs);
    }

    void balloonShowsAtOnceAndTimesOutOnce()
    {
        BalloonTimer balloon;
        recordEvents(balloon);
        QSignalSpy timedOut(&balloon, &BalloonTimer::BalloonTimeOut);

        balloon.start(50);
        QCOMPARE(m_events, QStringList{"show"});
        QVERIFY(balloon.isShowing());
        QCOMPARE(balloon.interval(), BalloonTimer::ShortestMs);

        QTRY_COMPARE_WITH_TIMEOUT(timedOut.count(), 1, BalloonTimer::ShortestMs + 5000);
        QVERIFY(!balloon.isShowing());

        // A balloon after one that timed out hides nothing.
        balloon.start(3000);
        QCOMPARE(m_events, (QStringList{"show", "timeout", "show"}));
    }

    void newBalloonHidesTheOneStillUp()
    {
        BalloonTimer balloon;
        recordEvents(balloon);
        balloon.start(3000);
        balloon.start(20000);
        QCOMPARE(m_events, (QStringList{"show", "hide", "show"}));
        QCOMPARE(balloon.interval(), 20000);
    }

    void clickClosesTheBalloonWithoutTimeOut()
    {
        BalloonTimer balloon;
        recordEvents(balloon);
        balloon.start(3000);
        balloon.click();
        QCOMPARE(m_events, (QStringList{"show", "clicked"}));
        QVERIFY(!balloon.isShowing());

        // The next balloon does not hide the clicked one again.
        balloon.start(3000);
        QCOMPARE(m_events, (QStringList{"show", "clicked", "show"}));
    }

private:
    void recordEvents(BalloonTimer &balloon)
    {
        connect(&balloon, &BalloonTimer::BalloonShow, this, [this] { m_events.append("show"); });
        connect(&balloon, &BalloonTimer::BalloonHide, this, [this] { m_events.append("hide"); });
        connect(&balloon, &BalloonTimer::BalloonTimeOut, this, [this] { m_events.append("timeout"); });
        connect(&balloon, &BalloonTimer::BalloonClicked, this, [this] { m_events.append("clicked"); });
    }

    QStringList m_events;
};

QTEST_GUILESS_MAIN(tst_BalloonTimer)
#include "tst_balloontimer.moc"
