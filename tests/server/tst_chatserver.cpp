// The server's rules as clients see them: real sockets against a server in this process.

#include "ChatServer.h"
#include "ClientConnection.h"
#include "support/EventLoopWait.h"
#include "InProcessServer.h"
#include "RawClient.h"
#include "support/TestClient.h"

#include "net/Windows1250.h"

#include <QAbstractEventDispatcher>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <memory>
#include <vector>


namespace {
const QHostAddress serverAddress(QStringLiteral("127.0.0.20"));
// The framing offer: a client that does not know it reads a message with an unknown command word.
const QString offer = QString::fromLatin1("\0Framing 1\0", 11);

QString filler(qsizetype length)
{
    QString text;
    text.reserve(length);
    for (qsizetype i = 0; i < length; ++i)
        text += QLatin1Char(char('a' + i % 26));
    return text;
}
}

class ChatServerTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void signOnChecksTheName_data();
    void signOnChecksTheName();
    void greetingComesInOrderAsSeparateBlocks_data();
    void greetingComesInOrderAsSeparateBlocks();
    void nothingButJoinBeforeSignOn();
    void publicMessageCarriesTheSendersOwnName_data();
    void publicMessageCarriesTheSendersOwnName();
    void privateMessageGoesToTheRecipientOnly_data();
    void privateMessageGoesToTheRecipientOnly();
    void leavingOrDroppingTellsTheOthers_data();
    void leavingOrDroppingTellsTheOthers();
    void operatorKicksAUser();
    void kickAndMotdNeedAnOperator_data();
    void kickAndMotdNeedAnOperator();
    void operatorChangesTheMessageOfTheDay_data();
    void operatorChangesTheMessageOfTheDay();
    void garbageIsIgnored_data();
    void garbageIsIgnored();
    void oversizedBlockClosesThatConnectionOnly();
    void blockAtTheLimitIsAccepted();
    void connectionsBeyondTheLimitAreClosed();
    void idleAndStuckClientsDoNotHoldUpOthers();
    void pacedReadersCostNoTimerOrSignalEach();

private:
    void startServer(const ServerSettings &settings);
    static ServerSettings testSettings();
    TestClient *newClient();
    TestClient *signedOn(const QString &name);

    InProcessServer m_server;
};

ServerSettings ChatServerTest::testSettings()
{
    ServerSettings settings = InProcessServer::settingsFor(serverAddress);
    settings.motd = QStringLiteral("Hello all");
    settings.adminPassword = QStringLiteral("secret");
    return settings;
}

void ChatServerTest::startServer(const ServerSettings &settings)
{
    QVERIFY(m_server.start(settings));
}

void ChatServerTest::init()
{
    startServer(testSettings());
}

void ChatServerTest::cleanup()
{
    m_server.stop();
}

TestClient *ChatServerTest::newClient()
{
    auto *client = m_server.add<TestClient>();
    if (!client->connectTo(serverAddress, m_server.port()))
        qWarning("cannot connect to the test server");
    return client;
}

TestClient *ChatServerTest::signedOn(const QString &name)
{
    auto *client = m_server.add<TestClient>();
    if (!client->signOn(serverAddress, m_server.port(), name))
        qWarning("%s could not sign on", qPrintable(name));
    return client;
}

void ChatServerTest::signOnChecksTheName_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QByteArray>("refusal");

    QTest::newRow("plain") << QByteArray("alice") << true << QByteArray();
    QTest::newRow("blank inside") << QByteArray("Jan Novak") << true << QByteArray();
    QTest::newRow("Windows-1250 letters") << QByteArray("\xc8" "en\xec" "k \x8elu\x9do\xe8k\xfd") << true << QByteArray();
    QTest::newRow("32 characters") << QByteArray(32, 'n') << true << QByteArray();
    QTest::newRow("32 letters outside ASCII") << QByteArray(32, '\xe8') << true << QByteArray();
    QTest::newRow("other letter case of a signed-on name") << QByteArray("Taken") << false << QByteArray("ErrUsername Taken");
    QTest::newRow("soft hyphen") << QByteArray("taken\xad") << false << QByteArray("ErrUsername taken\xad");
    QTest::newRow("no-break space inside") << QByteArray("ta\xa0ken") << false << QByteArray("ErrUsername ta\xa0ken");
    QTest::newRow("signed on already") << QByteArray("taken") << false << QByteArray("ErrUsername taken");
    QTest::newRow("empty") << QByteArray() << false << QByteArray("ErrUsername ");
    QTest::newRow("33 characters") << QByteArray(33, 'n') << false << "ErrUsername " + QByteArray(33, 'n');
    QTest::newRow("colon") << QByteArray("a:b") << false << QByteArray("ErrUsername a:b");
    QTest::newRow("bar") << QByteArray("a|b") << false << QByteArray("ErrUsername a|b");
    QTest::newRow("tab") << QByteArray("a\tb") << false << QByteArray("ErrUsername a\tb");
    QTest::newRow("line break") << QByteArray("a\r\nb") << false << QByteArray("ErrUsername a\r\nb");
    // Text the server sends never carries NUL.
    QTest::newRow("zero byte") << QByteArray("a\0b", 3) << false << QByteArray("ErrUsername ab");
    QTest::newRow("delete") << QByteArray("a\x7f") << false << QByteArray("ErrUsername a\x7f");
    QTest::newRow("leading blank") << QByteArray(" alice") << false << QByteArray("ErrUsername  alice");
    QTest::newRow("trailing blank") << QByteArray("alice ") << false << QByteArray("ErrUsername alice ");
    QTest::newRow("only a blank") << QByteArray(" ") << false << QByteArray("ErrUsername  ");
    QTest::newRow("trailing no-break space") << QByteArray("alice\xa0") << false << QByteArray("ErrUsername alice\xa0");
    // 0x98 has no character in Windows-1250.
    QTest::newRow("byte without a character") << QByteArray("a\x98z") << false << QByteArray("ErrUsername a\x98z");
}

void ChatServerTest::signOnChecksTheName()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, accepted);
    QFETCH(QByteArray, refusal);

    TestClient *taken = signedOn(QStringLiteral("taken"));
    TestClient *client = newClient();
    client->sendBytes("Join " + name);

    if (accepted) {
        QVERIFY(client->waitForBlocks(5));
        const QByteArrayList blocks = client->takeRawBlocks();
        QCOMPARE(blocks.at(1), QByteArray("Welcome Test"));
        QCOMPARE(blocks.constLast(), "UserList " + name);
        QCOMPARE(taken->receive(1), QStringList{QStringLiteral("Joined ") + Windows1250::decode(name)});
        return;
    }
    QVERIFY(client->waitForBlocks(1));
    QCOMPARE(client->takeRawBlocks(), QByteArrayList{refusal});
    QVERIFY(client->isConnected());
    // The same connection may try again.
    client->send(QStringLiteral("Join second try"));
    QVERIFY(client->waitForBlocks(2));
    QCOMPARE(client->takeBlocks().mid(0, 2), (QStringList{offer, QStringLiteral("Welcome Test")}));
    QCOMPARE(taken->receive(1), QStringList{QStringLiteral("Joined second try")});
}

void ChatServerTest::greetingComesInOrderAsSeparateBlocks_data()
{
    QTest::addColumn<QString>("motd");
    QTest::addColumn<QStringList>("greeting");

    QTest::newRow("message of the day")
        << QStringLiteral("Hello all, today: rules")
        << QStringList{offer, "Welcome Test", "Msgday Hello all, today: rules", "UserList anna", "UserList bert",
                       "UserList cyril"};
    QTest::newRow("no message of the day")
        << QString() << QStringList{offer, "Welcome Test", "UserList anna", "UserList bert", "UserList cyril"};
}

void ChatServerTest::greetingComesInOrderAsSeparateBlocks()
{
    QFETCH(QString, motd);
    QFETCH(QStringList, greeting);

    ServerSettings settings = testSettings();
    settings.motd = motd;
    startServer(settings);
    TestClient *anna = signedOn(QStringLiteral("anna"));
    TestClient *bert = signedOn(QStringLiteral("bert"));
    QCOMPARE(anna->receive(1), QStringList{"Joined bert"});

    TestClient *cyril = newClient();
    cyril->send(QStringLiteral("Join cyril"));
    // Each message is a block of its own: the comparison is block by block.
    QVERIFY(cyril->waitForBlocks(int(greeting.size())));
    EventLoopWait::during(50);
    QCOMPARE(cyril->takeBlocks(), greeting);
    QCOMPARE(anna->receive(1), QStringList{"Joined cyril"});
    QCOMPARE(bert->receive(1), QStringList{"Joined cyril"});
    QCOMPARE(m_server.server().room().userNames(), (QStringList{"anna", "bert", "cyril"}));
}

void ChatServerTest::nothingButJoinBeforeSignOn()
{
    TestClient *anna = signedOn(QStringLiteral("anna"));
    TestClient *early = newClient();
    for (const char *request : {"Message anna:hello", "PMMessage anna:early|psst", "Prompt login secret",
                                "Leave early", "Welcome early", "join early", "Join"}) {
        early->send(QString::fromLatin1(request));
    }
    QVERIFY(early->isConnected());
    QCOMPARE(early->takeRawBlocks(), QByteArrayList{});

    early->send(QStringLiteral("Join early"));
    QVERIFY(early->waitForBlocks(5));
    QCOMPARE(early->takeBlocks().mid(0, 2), (QStringList{offer, QStringLiteral("Welcome Test")}));
    // The login before sign-on did not count: this kick does nothing.
    early->send(QStringLiteral("Prompt kick anna"));
    early->send(QStringLiteral("Message early:now signed on"));
    QCOMPARE(anna->receive(2), (QStringList{"Joined early", "Message early:now signed on"}));
}

void ChatServerTest::publicMessageCarriesTheSendersOwnName_data()
{
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("relayed");

    QTest::newRow("own name") << "Message anna:hello" << "Message anna:hello";
    QTest::newRow("forged sender") << "Message bert:I am bert" << "Message anna:I am bert";
    QTest::newRow("colon in the text") << "Message anna:time: 12:30" << "Message anna:time: 12:30";
    QTest::newRow("no colon") << "Message hello" << "Message anna:hello";
    QTest::newRow("empty text") << "Message anna:" << "Message anna:";
    QTest::newRow("line breaks and markup") << "Message x:[B]one[/B]\r\ntwo" << "Message anna:[B]one[/B]\r\ntwo";
    QTest::newRow("Windows-1250 text") << QString::fromUtf8("Message anna:Příliš žluťoučký kůň")
                                       << QString::fromUtf8("Message anna:Příliš žluťoučký kůň");
}

void ChatServerTest::publicMessageCarriesTheSendersOwnName()
{
    QFETCH(QString, sent);
    QFETCH(QString, relayed);

    TestClient *anna = signedOn(QStringLiteral("anna"));
    TestClient *bert = signedOn(QStringLiteral("bert"));
    anna->takeBlocks();
    anna->send(sent);
    QCOMPARE(anna->receive(1), QStringList{relayed});
    QCOMPARE(bert->receive(1), QStringList{relayed});
}

void ChatServerTest::privateMessageGoesToTheRecipientOnly_data()
{
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QStringList>("toSender");
    QTest::addColumn<QStringList>("toBert");

    QTest::newRow("delivered") << "PMMessage bert:anna|hi there" << QStringList{} << QStringList{"PMMessage anna|hi there"};
    QTest::newRow("forged sender") << "PMMessage bert:cyril|from cyril" << QStringList{}
                                   << QStringList{"PMMessage anna|from cyril"};
    QTest::newRow("separators in the text") << "PMMessage bert:anna|a:b|c" << QStringList{}
                                            << QStringList{"PMMessage anna|a:b|c"};
    QTest::newRow("to oneself") << "PMMessage anna:anna|note" << QStringList{"PMMessage anna|note"} << QStringList{};
    QTest::newRow("no such user") << "PMMessage nobody:anna|hi" << QStringList{"PMError nobody"} << QStringList{};
    QTest::newRow("name in other letter case") << "PMMessage Bert:anna|hi" << QStringList{"PMError Bert"}
                                               << QStringList{};
    QTest::newRow("no recipient field") << "PMMessage bert|hi" << QStringList{"PMError "} << QStringList{};
}

void ChatServerTest::privateMessageGoesToTheRecipientOnly()
{
    QFETCH(QString, sent);
    QFETCH(QStringList, toSender);
    QFETCH(QStringList, toBert);

    TestClient *anna = signedOn(QStringLiteral("anna"));
    TestClient *bert = signedOn(QStringLiteral("bert"));
    TestClient *cyril = signedOn(QStringLiteral("cyril"));
    anna->takeBlocks();
    bert->takeBlocks();

    anna->send(sent);
    // A public message afterwards marks the end of whatever the private one caused.
    cyril->send(QStringLiteral("Message cyril:end"));
    QCOMPARE(anna->receive(int(toSender.size()) + 1), toSender + QStringList{"Message cyril:end"});
    QCOMPARE(bert->receive(int(toBert.size()) + 1), toBert + QStringList{"Message cyril:end"});
    QCOMPARE(cyril->receive(1), QStringList{"Message cyril:end"});
}

void ChatServerTest::leavingOrDroppingTellsTheOthers_data()
{
    QTest::addColumn<bool>("sendsLeave");

    QTest::newRow("Leave") << true;
    QTest::newRow("connection closed without Leave") << false;
}

void ChatServerTest::leavingOrDroppingTellsTheOthers()
{
    QFETCH(bool, sendsLeave);

    TestClient *anna = signedOn(QStringLiteral("anna"));
    TestClient *bert = signedOn(QStringLiteral("bert"));
    TestClient *cyril = signedOn(QStringLiteral("cyril"));
    anna->takeBlocks();
    bert->takeBlocks();

    if (sendsLeave)
        bert->send(QStringLiteral("Leave somebody"));
    else
        bert->disconnectFromServer();
    QVERIFY2(bert->waitForDisconnected(), qPrintable(m_server.log()));
    QCOMPARE(anna->receive(1), QStringList{"Left bert"});
    QCOMPARE(cyril->receive(1), QStringList{"Left bert"});
    QCOMPARE(bert->takeBlocks(), QStringList{});
    QCOMPARE(m_server.server().room().userNames(), (QStringList{"anna", "cyril"}));
    QVERIFY(m_server.logHas(QStringLiteral("\"bert\" left")));

    // The name is free again, and the others hear of nobody else leaving.
    signedOn(QStringLiteral("bert"));
    QCOMPARE(anna->receive(1), QStringList{"Joined bert"});
}

void ChatServerTest::operatorKicksAUser()
{
    TestClient *boss = signedOn(QStringLiteral("boss"));
    TestClient *victim = signedOn(QStringLiteral("victim"));
    TestClient *bystander = signedOn(QStringLiteral("bystander"));
    boss->takeBlocks();
    victim->takeBlocks();

    boss->send(QStringLiteral("Prompt login secret"));
    boss->send(QStringLiteral("Prompt kick victim"));
    QVERIFY(victim->waitForDisconnected());
    QCOMPARE(victim->takeBlocks(), QStringList{"UKicked boss"});
    bystander->send(QStringLiteral("Message bystander:end"));
    QCOMPARE(boss->receive(2), (QStringList{"Kicked victim", "Message bystander:end"}));
    QCOMPARE(bystander->receive(2), (QStringList{"Kicked victim", "Message bystander:end"}));
    QCOMPARE(m_server.server().room().userNames(), (QStringList{"boss", "bystander"}));
    QVERIFY(m_server.logHas(QStringLiteral("\"victim\" kicked by \"boss\"")));

    // Kicking someone who is not there changes nothing; the kicked name is free again.
    boss->send(QStringLiteral("Prompt kick victim"));
    signedOn(QStringLiteral("victim"));
    QCOMPARE(bystander->receive(1), QStringList{"Joined victim"});
}

void ChatServerTest::kickAndMotdNeedAnOperator_data()
{
    QTest::addColumn<QString>("adminPassword");
    QTest::addColumn<QString>("login");

    QTest::newRow("no login") << "secret" << QString();
    QTest::newRow("wrong password") << "secret" << "Prompt login wrong";
    QTest::newRow("password with a blank appended") << "secret" << "Prompt login secret ";
    QTest::newRow("other letter case") << "secret" << "Prompt LOGIN secret";
    QTest::newRow("server without a password, empty login") << QString() << "Prompt login ";
    QTest::newRow("server without a password, bare login") << QString() << "Prompt login";
}

void ChatServerTest::kickAndMotdNeedAnOperator()
{
    QFETCH(QString, adminPassword);
    QFETCH(QString, login);

    ServerSettings settings = testSettings();
    settings.adminPassword = adminPassword;
    startServer(settings);
    TestClient *boss = signedOn(QStringLiteral("boss"));
    TestClient *victim = signedOn(QStringLiteral("victim"));
    boss->takeBlocks();

    if (!login.isEmpty())
        boss->send(login);
    boss->send(QStringLiteral("Prompt kick victim"));
    boss->send(QStringLiteral("Prompt motd changed"));
    victim->send(QStringLiteral("Message victim:still here"));
    QCOMPARE(boss->receive(1), QStringList{"Message victim:still here"});
    QCOMPARE(victim->receive(1), QStringList{"Message victim:still here"});
    QCOMPARE(m_server.server().room().motd(), QStringLiteral("Hello all"));
}

void ChatServerTest::operatorChangesTheMessageOfTheDay_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("greeting");

    QTest::newRow("new text") << "Prompt motd Server restarts at 10:00"
                              << QStringList{offer, "Welcome Test", "Msgday Server restarts at 10:00", "UserList boss",
                                             "UserList late"};
    QTest::newRow("cleared with an empty text") << "Prompt motd "
                                                << QStringList{offer, "Welcome Test", "UserList boss", "UserList late"};
    QTest::newRow("cleared with no text") << "Prompt motd"
                                          << QStringList{offer, "Welcome Test", "UserList boss", "UserList late"};
}

void ChatServerTest::operatorChangesTheMessageOfTheDay()
{
    QFETCH(QString, command);
    QFETCH(QStringList, greeting);

    TestClient *boss = signedOn(QStringLiteral("boss"));
    boss->send(QStringLiteral("Prompt login secret"));
    boss->send(command);

    TestClient *late = newClient();
    late->send(QStringLiteral("Join late"));
    QVERIFY(late->waitForBlocks(int(greeting.size())));
    QCOMPARE(late->takeBlocks(), greeting);
    // Those already signed on hear of the sign-on only.
    QCOMPARE(boss->receive(1), QStringList{"Joined late"});
}

void ChatServerTest::garbageIsIgnored_data()
{
    QTest::addColumn<QByteArray>("garbage");
    QTest::addColumn<bool>("alsoBeforeSignOn");

    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 7919) % 256);
    QTest::newRow("binary") << binary << true;
    QTest::newRow("control bytes") << QByteArray("\x00\x01\xff\xfe\x1a", 5) << true;
    QTest::newRow("first half of a message") << QByteArray("Mess") << true;
    QTest::newRow("second half of a message") << QByteArray("age anna:hi") << true;
    QTest::newRow("command without a blank") << QByteArray("Message") << true;
    QTest::newRow("leading blank") << QByteArray(" Message anna:hi") << true;
    QTest::newRow("other letter case") << QByteArray("message anna:hi") << true;
    QTest::newRow("command with a letter appended") << QByteArray("Messages anna:hi") << true;
    QTest::newRow("server's own command") << QByteArray("Joined mallory") << true;
    QTest::newRow("second Join") << QByteArray("Join other") << false;
    QTest::newRow("unknown prompt") << QByteArray("Prompt shutdown now") << true;
}

void ChatServerTest::garbageIsIgnored()
{
    QFETCH(QByteArray, garbage);
    QFETCH(bool, alsoBeforeSignOn);

    TestClient *anna = signedOn(QStringLiteral("anna"));
    TestClient *bert = newClient();
    if (alsoBeforeSignOn)
        bert->sendBytes(garbage);
    bert->send(QStringLiteral("Join bert"));
    QVERIFY(bert->waitForBlocks(5));
    QCOMPARE(bert->takeBlocks().mid(0, 2), (QStringList{offer, QStringLiteral("Welcome Test")}));

    bert->sendBytes(garbage);
    bert->send(QStringLiteral("Message bert:end"));
    QCOMPARE(anna->receive(2), (QStringList{"Joined bert", "Message bert:end"}));
    QCOMPARE(bert->receive(1), QStringList{"Message bert:end"});
    QCOMPARE(m_server.server().room().userNames(), (QStringList{"anna", "bert"}));
}

void ChatServerTest::oversizedBlockClosesThatConnectionOnly()
{
    TestClient *anna = signedOn(QStringLiteral("anna"));
    TestClient *bert = signedOn(QStringLiteral("bert"));
    anna->takeBlocks();

    bert->send(QStringLiteral("Message bert:") + filler(ClientConnection::MaxBlockSize));
    QVERIFY2(bert->waitForDisconnected(), qPrintable(m_server.log()));
    QCOMPARE(anna->receive(1), QStringList{"Left bert"});
    QVERIFY(m_server.logHas(QStringLiteral("closed: received a block over 65536 bytes")));

    anna->send(QStringLiteral("Message anna:still running"));
    QCOMPARE(anna->receive(1), QStringList{"Message anna:still running"});
}

void ChatServerTest::blockAtTheLimitIsAccepted()
{
    TestClient *anna = signedOn(QStringLiteral("anna"));
    TestClient *bert = signedOn(QStringLiteral("bert"));
    anna->takeBlocks();

    const QString message = QStringLiteral("Message bert:");
    const QString text = filler(ClientConnection::MaxBlockSize - message.size());
    bert->send(message + text);
    QVERIFY(anna->waitForBlocks(1));
    QCOMPARE(anna->takeBlocks(), QStringList{message + text});
    QVERIFY(bert->isConnected());
}

void ChatServerTest::connectionsBeyondTheLimitAreClosed()
{
    ServerSettings settings = testSettings();
    settings.maxConnections = 3;
    startServer(settings);
    TestClient *anna = signedOn(QStringLiteral("anna"));
    TestClient *silent = newClient();
    TestClient *bert = signedOn(QStringLiteral("bert"));

    TestClient *refused = newClient();
    QVERIFY(refused->waitForDisconnected());
    QVERIFY(m_server.logHas(QStringLiteral("already 3 connections")));
    QCOMPARE(m_server.server().connectionCount(), 3);

    anna->send(QStringLiteral("Message anna:still here"));
    QCOMPARE(bert->receive(1), QStringList{"Message anna:still here"});

    // A freed place can be taken again.
    silent->disconnectFromServer();
    QVERIFY(EventLoopWait::until([this] { return m_server.server().connectionCount() == 2; }, 10000));
    signedOn(QStringLiteral("cyril"));
    QCOMPARE(anna->receive(3), (QStringList{"Joined bert", "Message anna:still here", "Joined cyril"}));
}

void ChatServerTest::idleAndStuckClientsDoNotHoldUpOthers()
{
    TestClient *silent = newClient();
    RawClient halfMessage;
    QVERIFY(halfMessage.connectTo(serverAddress, m_server.port()));
    QVERIFY(halfMessage.send("Joi"));
    RawClient neverReads;
    QVERIFY(neverReads.connectTo(serverAddress, m_server.port()));
    QVERIFY(neverReads.send("Join deaf"));

    TestClient *anna = signedOn(QStringLiteral("anna"));
    TestClient *bert = signedOn(QStringLiteral("bert"));
    anna->takeBlocks();
    QStringList expected;
    for (int i = 0; i < 50; ++i) {
        TestClient *sender = i % 2 ? bert : anna;
        const QString name = i % 2 ? QStringLiteral("bert") : QStringLiteral("anna");
        sender->send(QStringLiteral("Message %1:number %2").arg(name).arg(i));
        expected += QStringLiteral("Message %1:number %2").arg(name).arg(i);
    }
    QCOMPARE(anna->receive(50), expected);
    QCOMPARE(bert->receive(50), expected);
    QVERIFY(silent->isConnected());
    QCOMPARE(m_server.server().room().userNames(), (QStringList{"deaf", "anna", "bert"}));
}

void ChatServerTest::pacedReadersCostNoTimerOrSignalEach()
{
    // A gap long enough that every reader's second message waits for it.
    ServerSettings settings = testSettings();
    settings.gapMs = 50;
    startServer(settings);
    constexpr int readerCount = 20;
    QList<TestClient *> readers;
    for (int i = 0; i < readerCount; ++i) {
        readers += signedOn(QStringLiteral("reader%1").arg(i));
        for (TestClient *earlier : std::as_const(readers).first(i))
            earlier->receive(1);
    }

    const auto sockets = m_server.server().findChildren<QTcpSocket *>();
    QCOMPARE(sockets.size(), readerCount);
    std::vector<std::unique_ptr<QSignalSpy>> writtenLater;
    for (QTcpSocket *socket : sockets)
        writtenLater.push_back(std::make_unique<QSignalSpy>(socket, &QTcpSocket::bytesWritten));

    readers.constFirst()->send(QStringLiteral("Message reader0:one"));
    readers.constFirst()->send(QStringLiteral("Message reader0:two"));
    for (TestClient *reader : std::as_const(readers))
        QVERIFY(reader->waitForBlocks(1));
    // A timer, a signal and a pass of the event loop per connection and message would leave a
    // thousand readers behind for good.
    const auto connections = m_server.server().findChildren<ClientConnection *>();
    QCOMPARE(connections.size(), readerCount);
    for (ClientConnection *connection : connections)
        QCOMPARE(QAbstractEventDispatcher::instance()->registeredTimers(connection).size(), 0);
    for (TestClient *reader : std::as_const(readers))
        QCOMPARE(reader->receive(2), (QStringList{"Message reader0:one", "Message reader0:two"}));
    // Each message went to the kernel as it was written, none through the socket's own buffer.
    for (const auto &spy : writtenLater)
        QCOMPARE(spy->count(), 0);
}

QTEST_GUILESS_MAIN(ChatServerTest)
#include "tst_chatserver.moc"
