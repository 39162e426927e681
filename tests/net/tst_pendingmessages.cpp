#include "net/PendingMessages.h"

#include <QTest>

namespace {

// Steps, each a word and its fields split by '|':
//   "public|TEXT|END"          the user sent a public message ending at byte END
//   "private|TO|TEXT|END"      the user sent a private message to TO
//   "relayed|TEXT"             the server's relay of an own public message came back
//   "acknowledged|OFFSET"      the server's machine acknowledged the first OFFSET bytes
void run(PendingMessages &pending, const QStringList &steps)
{
    for (const QString &step : steps) {
        const QStringList field = step.split(QLatin1Char('|'));
        if (field[0] == QLatin1String("public"))
            pending.sentPublic(field[1], field[2].toLongLong());
        else if (field[0] == QLatin1String("private"))
            pending.sentPrivate(field[1], field[2], field[3].toLongLong());
        else if (field[0] == QLatin1String("relayed"))
            pending.relayed(field[1]);
        else if (field[0] == QLatin1String("acknowledged"))
            pending.acknowledged(field[1].toLongLong());
        else
            QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
}

// What still waits, as "TEXT" for public and "TO: TEXT" for private messages.
QStringList waiting(const PendingMessages &pending)
{
    QStringList texts;
    for (const PendingMessages::Message &message : pending.messages())
        texts << (message.isPrivate() ? message.recipient + QStringLiteral(": ") + message.text : message.text);
    return texts;
}

} // namespace

class tst_PendingMessages : public QObject
{
    Q_OBJECT
private slots:
    void whatWaitsForDelivery_data();
    void whatWaitsForDelivery();
    void boundedInCountAndCharacters();
};

void tst_PendingMessages::whatWaitsForDelivery_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("undelivered");

    QTest::newRow("nothing sent") << QStringList() << QStringList();
    QTest::newRow("public, relay not back") << QStringList{"public|hi|10"} << QStringList{"hi"};
    QTest::newRow("public, relay back") << QStringList{"public|hi|10", "relayed|hi"} << QStringList();
    QTest::newRow("relays come in order") << QStringList{"public|one|10", "public|two|20", "relayed|one"}
                                          << QStringList{"two"};
    QTest::newRow("same text twice, one relay") << QStringList{"public|hi|10", "public|hi|20", "relayed|hi"}
                                                << QStringList{"hi"};
    QTest::newRow("relay changed by the code page stands for the oldest")
        << QStringList{"public|\u65E5|10", "public|later|20", "relayed|?"} << QStringList{"later"};
    QTest::newRow("merged relays: a match carries the ones before it")
        << QStringList{"public|one|10", "public|two|20", "public|three|30", "relayed|two"} << QStringList{"three"};
    QTest::newRow("relay with nothing waiting") << QStringList{"relayed|hi"} << QStringList();
    QTest::newRow("acknowledgement does not carry a public message")
        << QStringList{"public|hi|10", "acknowledged|10"} << QStringList{"hi"};
    QTest::newRow("private, not acknowledged") << QStringList{"private|bob|psst|30", "acknowledged|29"}
                                               << QStringList{"bob: psst"};
    QTest::newRow("private, acknowledged") << QStringList{"private|bob|psst|30", "acknowledged|30"} << QStringList();
    QTest::newRow("private carried by a later public relay")
        << QStringList{"private|bob|psst|30", "public|hi|40", "relayed|hi"} << QStringList();
    QTest::newRow("a relay carries no private message sent after it")
        << QStringList{"public|hi|10", "private|bob|psst|30", "relayed|hi"} << QStringList{"bob: psst"};
    QTest::newRow("mixed, in the order sent")
        << QStringList{"public|a|10", "private|bob|b|20", "public|c|30", "private|cy|d|40", "acknowledged|35"}
        << QStringList{"a", "c", "cy: d"};
}

void tst_PendingMessages::whatWaitsForDelivery()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, undelivered);

    PendingMessages pending;
    run(pending, steps);
    QCOMPARE(waiting(pending), undelivered);
    const QList<PendingMessages::Message> taken = pending.takeAll();
    QCOMPARE(taken.size(), undelivered.size());
    QVERIFY(pending.messages().isEmpty());
    QCOMPARE(pending.characterCount(), 0);
}

void tst_PendingMessages::boundedInCountAndCharacters()
{
    PendingMessages pending;
    for (int index = 0; index < 10 * PendingMessages::MaxMessages; ++index)
        pending.sentPublic(QString::number(index), index);
    QCOMPARE(pending.messages().size(), PendingMessages::MaxMessages);
    QCOMPARE(pending.messages().constLast().text, QString::number(10 * PendingMessages::MaxMessages - 1));

    // Messages of 64 KiB: as many as the character bound holds.
    const QString block(64 * 1024, QLatin1Char('x'));
    for (int index = 0; index < 100; ++index)
        pending.sentPrivate(QStringLiteral("bob"), block, index);
    QVERIFY(pending.characterCount() <= PendingMessages::MaxCharacters);
    QCOMPARE(pending.messages().size(), PendingMessages::MaxCharacters / block.size());

    // A single message larger than the bound is kept alone: it is what the user may want back.
    const QString huge(1000 * 1000, QLatin1Char('y'));
    pending.sentPublic(huge, 0);
    QCOMPARE(pending.messages().size(), 1);
    QCOMPARE(pending.characterCount(), huge.size());
    pending.relayed(huge);
    QVERIFY(pending.messages().isEmpty());
    QCOMPARE(pending.characterCount(), 0);
}

QTEST_GUILESS_MAIN(tst_PendingMessages)
#include "tst_pendingmessages.moc"
