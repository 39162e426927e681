// A room shared with other servers, without NATS: what the room tells its link and what it makes of
// the other servers' events, how each server's events are put in order, and what travels between
// servers.

#include "ChatRoom.h"
#include "ClusterEvent.h"
#include "ClusterPeers.h"

#include <QTest>

namespace {
// The server's side of the room: who received what, and which connections are to close.
class RecordingOutput : public RoomOutput
{
public:
    QList<QPair<ClientId, QString>> sent;
    QList<ClientId> closing;

    void send(const QList<ClientId> &recipients, const QString &message) override
    {
        for (const ClientId recipient : recipients)
            sent += {recipient, message};
    }
    void closeWhenSent(ClientId client) override { closing += client; }
    void log(ClientId, const QString &) override {}

    QStringList takeFor(ClientId client)
    {
        QStringList messages;
        for (auto entry = sent.begin(); entry != sent.end();) {
            if (entry->first == client) {
                messages += entry->second;
                entry = sent.erase(entry);
            } else {
                ++entry;
            }
        }
        return messages;
    }
};

// The other servers as the room sees them: one line per call, and names it refuses.
class RecordingLink : public RoomLink
{
public:
    QStringList calls;
    QStringList heldElsewhere;

    bool claimName(const QString &name) override { return !heldElsewhere.contains(name); }
    void joined(const QString &name) override { calls += "joined " + name; }
    void left(const QString &name) override { calls += "left " + name; }
    void kicked(const QString &name, const QString &operatorName) override
    {
        calls += "kicked " + name + " by " + operatorName;
    }
    void message(const QString &name, const QString &text) override { calls += "message " + name + ":" + text; }
    void privateMessage(const QString &sender, const QString &recipient, const QString &text) override
    {
        calls += "pm " + sender + ">" + recipient + ":" + text;
    }
    void motdChanged(const QString &motd) override { calls += "motd " + motd; }
};

ClusterEvent eventOf(quint64 sequence)
{
    return ClusterEvent{QStringLiteral("node-a"), sequence, ClusterEvent::Kind::Message,
                        {QStringLiteral("anna"), QString::number(sequence)}};
}

QList<quint64> sequencesOf(const QList<ClusterEvent> &events)
{
    QList<quint64> sequences;
    for (const ClusterEvent &event : events)
        sequences += event.sequence;
    return sequences;
}
} // namespace

class SharedRoomTest : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void otherServersUsersAreInTheRoom();
    void usersHereAreToldToTheLink();
    void kicksCrossServers();

    void eventsComeOnceAndInOrder_data();
    void eventsComeOnceAndInOrder();
    void silentServerTakesItsUsers();

    void eventsTravelWhole();
    void foreignEventsAreRefused_data();
    void foreignEventsAreRefused();

private:
    ClientId signOn(const QString &name);

    RecordingOutput m_output;
    RecordingLink m_link;
    std::unique_ptr<ChatRoom> m_room;
    ClientId m_lastClient = 0;
};

void SharedRoomTest::init()
{
    m_output = RecordingOutput();
    m_link = RecordingLink();
    m_room = std::make_unique<ChatRoom>(&m_output, ChatRoom::Settings{"Korvani", {}, "secret"});
    m_room->setLink(&m_link);
}

ClientId SharedRoomTest::signOn(const QString &name)
{
    const ClientId client = ++m_lastClient;
    m_room->receive(client, "Join " + name);
    return client;
}

void SharedRoomTest::otherServersUsersAreInTheRoom()
{
    const ClientId anna = signOn("anna");
    m_output.sent.clear();
    m_room->remoteJoined("bert");
    m_room->remoteJoined("bert");
    QCOMPARE(m_output.takeFor(anna), QStringList{"Joined bert"});

    const ClientId cyril = signOn("cyril");
    QCOMPARE(m_output.takeFor(cyril).mid(1), (QStringList{"UserList bert", "UserList anna", "UserList cyril"}));
    QCOMPARE(m_output.takeFor(anna), QStringList{"Joined cyril"});

    // A name held elsewhere, as this server knows it or as the link finds it.
    const ClientId other = signOn("bert");
    m_link.heldElsewhere = QStringList{"dora"};
    m_room->receive(other, "Join dora");
    QCOMPARE(m_output.takeFor(other), (QStringList{"ErrUsername bert", "ErrUsername dora"}));
    QVERIFY(!m_room->isSignedOn(other));

    m_room->remoteMessage("bert", "hello");
    m_room->remotePrivateMessage("bert", "anna", "psst");
    m_room->remotePrivateMessage("bert", "nobody", "lost");
    m_room->remoteLeft("bert");
    m_room->remoteLeft("bert");
    QCOMPARE(m_output.takeFor(anna), (QStringList{"Message bert:hello", "PMMessage bert|psst", "Left bert"}));
    QCOMPARE(m_room->userNames(), (QStringList{"anna", "cyril"}));
}

void SharedRoomTest::usersHereAreToldToTheLink()
{
    const ClientId anna = signOn("anna");
    m_room->remoteJoined("bert");
    m_room->receive(anna, "Message anna:hi");
    m_room->receive(anna, "PMMessage bert:anna|psst");
    m_room->receive(anna, "PMMessage nobody:anna|lost");
    m_room->receive(anna, "Prompt login secret");
    m_room->receive(anna, "Prompt motd New rules");
    m_room->receive(anna, "Leave anna");
    QCOMPARE(m_link.calls, (QStringList{"joined anna", "message anna:hi", "pm anna>bert:psst", "motd New rules",
                                        "left anna"}));
    QVERIFY(m_output.takeFor(anna).contains("PMError nobody"));

    m_room->remoteMotd("From elsewhere");
    QCOMPARE(m_room->motd(), QStringLiteral("From elsewhere"));
}

void SharedRoomTest::kicksCrossServers()
{
    const ClientId anna = signOn("anna");
    const ClientId bert = signOn("bert");
    m_room->remoteJoined("cyril");
    m_room->remoteJoined("dora");
    m_output.sent.clear();

    // An operator here kicks a user of another server.
    m_room->receive(anna, "Prompt login secret");
    m_room->receive(anna, "Prompt kick cyril");
    QCOMPARE(m_link.calls.constLast(), QStringLiteral("kicked cyril by anna"));
    QCOMPARE(m_output.takeFor(bert), QStringList{"Kicked cyril"});

    // An operator elsewhere kicks a user here, and another elsewhere.
    m_room->remoteKicked("bert", "dora");
    m_room->remoteKicked("dora", "erik");
    QCOMPARE(m_output.takeFor(bert), QStringList{"UKicked dora"});
    QCOMPARE(m_output.closing, QList<ClientId>{bert});
    QCOMPARE(m_output.takeFor(anna), (QStringList{"Kicked cyril", "Kicked bert", "Kicked dora"}));
    QCOMPARE(m_room->userNames(), QStringList{"anna"});
    QCOMPARE(m_link.calls.size(), 3); // joined anna, joined bert, the kick of cyril
}

void SharedRoomTest::eventsComeOnceAndInOrder_data()
{
    QTest::addColumn<QList<quint64>>("arriving");
    QTest::addColumn<QList<quint64>>("applied");
    QTest::addColumn<quint64>("lost");

    QTest::newRow("in order") << QList<quint64>{1, 2, 3} << QList<quint64>{1, 2, 3} << quint64(0);
    QTest::newRow("repeated") << QList<quint64>{1, 2, 2, 1, 3} << QList<quint64>{1, 2, 3} << quint64(0);
    QTest::newRow("overtaken") << QList<quint64>{1, 3, 4, 2} << QList<quint64>{1, 2, 3, 4} << quint64(0);
    QTest::newRow("heard from the middle") << QList<quint64>{7, 8} << QList<quint64>{7, 8} << quint64(0);
    QTest::newRow("a gap that never closes") << QList<quint64>{1, 3, 5} << QList<quint64>{1, 3, 5} << quint64(2);
}

void SharedRoomTest::eventsComeOnceAndInOrder()
{
    QFETCH(QList<quint64>, arriving);
    QFETCH(QList<quint64>, applied);
    QFETCH(quint64, lost);

    ClusterPeers peers;
    QList<ClusterEvent> due;
    for (const quint64 sequence : arriving)
        due += peers.arrange(eventOf(sequence), 0);
    QVERIFY(peers.takeOverdue(1000, 1000).isEmpty());
    // Held no longer than the wait for what is missing.
    for (qint64 nowMs = 2000; nowMs <= 10000; nowMs += 2000)
        due += peers.takeOverdue(nowMs, 1000);
    QCOMPARE(sequencesOf(due), applied);
    QCOMPARE(peers.lostCount(), lost);
}

void SharedRoomTest::silentServerTakesItsUsers()
{
    ClusterPeers peers;
    peers.heard("node-a", 0);
    peers.heard("node-b", 0);
    peers.addUser("node-a", "anna");
    peers.addUser("node-a", "bert");
    peers.addUser("node-b", "cyril");
    peers.removeUser("bert");
    peers.heard("node-b", 9000);
    QVERIFY(peers.takeUsersOfSilentNodes(9000, 10000).isEmpty());
    QCOMPARE(peers.takeUsersOfSilentNodes(12000, 10000), QStringList{"anna"});
    QVERIFY(peers.takeUsersOfSilentNodes(12000, 10000).isEmpty());

    // A flood of events behind one that never comes waits in bounded memory.
    for (quint64 sequence = 1; sequence <= ClusterPeers::MaxWaiting + 3; ++sequence)
        peers.arrange(eventOf(sequence == 2 ? 1 : sequence), 0);
    QCOMPARE(peers.lostCount(), quint64(1));
}

void SharedRoomTest::eventsTravelWhole()
{
    const QString large(1000 * 1000, QChar(0x10d)); // č
    const ClusterEvent sent{"node-a", 18446744073709551615ULL, ClusterEvent::Kind::PrivateMessage,
                            {"anna", "bert", large + "\n\"|:"}};
    ClusterEvent received;
    QVERIFY(ClusterEvent::decode(sent.encode(), &received));
    QCOMPARE(received.node, sent.node);
    QCOMPARE(received.sequence, sent.sequence);
    QCOMPARE(received.kind, sent.kind);
    QCOMPARE(received.fields, sent.fields);
}

void SharedRoomTest::foreignEventsAreRefused_data()
{
    QTest::addColumn<QByteArray>("data");

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not JSON") << QByteArray(1000 * 1000, '{');
    QTest::newRow("no node") << QByteArray(R"({"seq":"1","kind":2,"fields":["anna"]})");
    QTest::newRow("no sequence") << QByteArray(R"({"node":"a","kind":2,"fields":["anna"]})");
    QTest::newRow("unknown kind") << QByteArray(R"({"node":"a","seq":"1","kind":99,"fields":[]})");
    QTest::newRow("too few fields") << QByteArray(R"({"node":"a","seq":"1","kind":6,"fields":["anna","bert"]})");
    QTest::newRow("a field not text") << QByteArray(R"({"node":"a","seq":"1","kind":2,"fields":[7]})");
}

void SharedRoomTest::foreignEventsAreRefused()
{
    QFETCH(QByteArray, data);
    ClusterEvent event;
    QVERIFY(!ClusterEvent::decode(data, &event));
}

QTEST_GUILESS_MAIN(SharedRoomTest)
#include "tst_sharedroom.moc"
