// Further extensions on a framed connection, against a server in this process: the offer after the
// server's switch, the greeting held for the answer, the confirmation, stray and repeated markers,
// and a room where UTF-8 and Windows-1250 clients talk together.

#include "FramedClient.h"
#include "FramingWire.h"
#include "InProcessServer.h"
#include "support/EventLoopWait.h"
#include "support/TestClient.h"

#include "net/WireText.h"

#include <QTcpSocket>
#include <QTest>

namespace {
const QHostAddress serverAddress(QStringLiteral("127.0.0.171"));
using FramingWire::framed;

// Every script and an emoji; what Windows-1250 holds of it, one "?" per character it lacks.
const QString everyScript = QString::fromUtf8("Zażółć gęślą jaźń 😀 日本 Ελληνικά עברית 👨‍👩‍👧 🇵🇱");
const QByteArray everyScriptIn1250 = "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1 ? ?? ???????? ????? ? ?";

// A framed connection by hand, its bytes exactly as they come.
class RawFramedClient
{
public:
    bool signOn(quint16 port, const QByteArray &name)
    {
        m_socket.connectToHost(serverAddress, port);
        if (!m_socket.waitForConnected())
            return false;
        m_socket.write("Join " + name);
        return readUntil(FramingWire::offer) == FramingWire::offer;
    }

    void write(const QByteArray &bytes)
    {
        m_socket.write(bytes);
        m_socket.flush();
    }

    // What arrives until it ends with `end` (or nothing more comes for a while).
    QByteArray readUntil(const QByteArray &end)
    {
        EventLoopWait::until([&] {
            m_received += m_socket.readAll();
            return m_received.endsWith(end);
        }, 5000);
        return std::exchange(m_received, {});
    }

private:
    QTcpSocket m_socket;
    QByteArray m_received;
};
}

class ExtensionsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void answerIsConfirmed_data();
    void answerIsConfirmed();
    void greetingWaitsForTheAnswerAtMostThePause();
    void lateAnswerIsConfirmedAndFollowed();
    void strayAndRepeatedMarkersAreIgnored();
    void mixedRoomReceivesEachInItsEncoding();
    void invalidUtf8BecomesReplacementCharacters();

private:
    InProcessServer m_server;
};

void ExtensionsTest::init()
{
    ServerSettings settings = InProcessServer::settingsFor(serverAddress);
    settings.motd = QStringLiteral("Hello");
    QVERIFY(m_server.start(settings));
}

void ExtensionsTest::cleanup()
{
    m_server.stop();
}

void ExtensionsTest::answerIsConfirmed_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("confirmation");
    QTest::addColumn<QByteArray>("welcome");

    const QByteArray welcome = framed("Welcome Test");
    QTest::newRow("UTF-8") << framed("Extensions UTF-8") << framed("Extensions UTF-8") << welcome;
    QTest::newRow("none") << framed("Extensions ") << framed("Extensions ") << welcome;
    QTest::newRow("unknown names are skipped") << framed("Extensions Ping UTF-8  Recent") << framed("Extensions UTF-8")
                                               << welcome;
    QTest::newRow("names are case-sensitive") << framed("Extensions utf-8") << framed("Extensions ") << welcome;
    QTest::newRow("merged with the switch, before the offer came")
        << QByteArray() << framed("Extensions UTF-8") << welcome;
}

void ExtensionsTest::answerIsConfirmed()
{
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, confirmation);
    QFETCH(QByteArray, welcome);

    RawFramedClient ann;
    QVERIFY(ann.signOn(m_server.port(), "ann"));
    if (answer.isEmpty()) {
        ann.write(FramingWire::switchOver + framed("Extensions UTF-8"));
    } else {
        ann.write(FramingWire::switchOver);
        QCOMPARE(ann.readUntil(framed("Extensions UTF-8")), FramingWire::switchOver + framed("Extensions UTF-8"));
        ann.write(answer);
    }
    const QByteArray rest = ann.readUntil(framed("UserList ann"));
    QVERIFY2(rest.startsWith(answer.isEmpty() ? FramingWire::switchOver + framed("Extensions UTF-8") + confirmation
                                              : confirmation + welcome),
             rest.toHex(' '));
}

void ExtensionsTest::greetingWaitsForTheAnswerAtMostThePause()
{
    // A framed client that does not know the mechanism gets its greeting after the pause, in
    // Windows-1250, and everything works.
    auto *anna = m_server.add<TestClient>();
    QVERIFY(anna->signOn(serverAddress, m_server.port(), QStringLiteral("anna")));
    auto *bert = m_server.add<FramedClient>();
    bert->setExtensions(FramedClient::Extensions::Unknown);
    QVERIFY(bert->signOn(serverAddress, m_server.port(), QString::fromUtf8("Bärt")));
    QCOMPARE(bert->takeMessages(), QStringList{});
    QCOMPARE(anna->receive(1), QStringList{QString::fromUtf8("Joined Bärt")});

    anna->send(QString::fromUtf8("Message anna:čau"));
    bert->send(QString::fromUtf8("Message Bärt:žluť 😀"));
    QCOMPARE(bert->receive(2), (QStringList{QString::fromUtf8("Message anna:čau"), QString::fromUtf8("Message Bärt:žluť ?")}));
    QCOMPARE(anna->receive(2), (QStringList{QString::fromUtf8("Message anna:čau"), QString::fromUtf8("Message Bärt:žluť ?")}));
    QVERIFY(!bert->readsUtf8());
    QCOMPARE(bert->protocolError(), QString());
}

void ExtensionsTest::lateAnswerIsConfirmedAndFollowed()
{
    RawFramedClient ann;
    QVERIFY(ann.signOn(m_server.port(), "ann"));
    ann.write(FramingWire::switchOver);
    // No answer: the greeting follows the offer after the pause, under no extension.
    const QByteArray greeting = FramingWire::switchOver + framed("Extensions UTF-8") + framed("Welcome Test")
        + framed("Msgday Hello") + framed("UserList ann");
    QCOMPARE(ann.readUntil(framed("UserList ann")), greeting);

    ann.write(framed("Extensions UTF-8") + framed("Message ann:" + everyScript.toUtf8()));
    QCOMPARE(ann.readUntil(framed("Message ann:" + everyScript.toUtf8())),
             framed("Extensions UTF-8") + framed("Message ann:" + everyScript.toUtf8()));
}

void ExtensionsTest::strayAndRepeatedMarkersAreIgnored()
{
    auto *anna = m_server.add<TestClient>();
    QVERIFY(anna->signOn(serverAddress, m_server.port(), QStringLiteral("anna")));
    RawFramedClient ann;
    QVERIFY(ann.signOn(m_server.port(), "ann"));
    // Before the offer: an unknown command word like any other.
    ann.write("Extensions UTF-8");
    EventLoopWait::during(20);
    ann.write(FramingWire::switchOver);
    ann.readUntil(framed("Extensions UTF-8"));
    ann.write(framed("Extensions "));
    QVERIFY(ann.readUntil(framed("UserList ann")).startsWith(framed("Extensions ") + framed("Welcome Test")));
    // After the answer: no second confirmation, and the text stays Windows-1250 both ways.
    ann.write(framed("Extensions UTF-8") + framed("Message ann:\xE8" "au"));
    QCOMPARE(ann.readUntil(framed("Message ann:\xE8" "au")), framed("Message ann:\xE8" "au"));
    QCOMPARE(anna->receive(2), (QStringList{"Joined ann", QString::fromUtf8("Message ann:čau")}));
}

void ExtensionsTest::mixedRoomReceivesEachInItsEncoding()
{
    auto *unframed = m_server.add<TestClient>();
    QVERIFY(unframed->signOn(serverAddress, m_server.port(), QStringLiteral("old")));
    auto *framed1250 = m_server.add<FramedClient>();
    QVERIFY(framed1250->signOn(serverAddress, m_server.port(), QStringLiteral("framed")));
    auto *ann = m_server.add<FramedClient>();
    ann->setExtensions(FramedClient::Extensions::TakesUtf8);
    QVERIFY(ann->signOn(serverAddress, m_server.port(), QStringLiteral("ann")));
    auto *bob = m_server.add<FramedClient>();
    bob->setExtensions(FramedClient::Extensions::TakesUtf8);
    QVERIFY(bob->signOn(serverAddress, m_server.port(), QStringLiteral("bob")));
    QVERIFY(ann->readsUtf8() && bob->readsUtf8() && !framed1250->readsUtf8());
    unframed->takeRawBlocks();
    framed1250->takeMessages();
    ann->takeMessages();

    bob->send(QStringLiteral("Message bob:") + everyScript);
    QCOMPARE(ann->receive(1), QStringList{QStringLiteral("Message bob:") + everyScript});
    QCOMPARE(bob->receive(1), QStringList{QStringLiteral("Message bob:") + everyScript});
    QVERIFY(unframed->waitForBlocks(1));
    EventLoopWait::during(50);
    QCOMPARE(unframed->takeRawBlocks(), QByteArrayList{"Message bob:" + everyScriptIn1250});
    QCOMPARE(framed1250->receive(1), QStringList{QStringLiteral("Message bob:") + WireText::decode(everyScriptIn1250, WireText::Encoding::Windows1250)});
    // A Windows-1250 user's text reaches UTF-8 clients as the characters it was.
    unframed->send(QString::fromUtf8("Message old:Łódź €"));
    QCOMPARE(ann->receive(1), QStringList{QString::fromUtf8("Message old:Łódź €")});
}

void ExtensionsTest::invalidUtf8BecomesReplacementCharacters()
{
    auto *unframed = m_server.add<TestClient>();
    QVERIFY(unframed->signOn(serverAddress, m_server.port(), QStringLiteral("old")));
    auto *ann = m_server.add<FramedClient>();
    ann->setExtensions(FramedClient::Extensions::TakesUtf8);
    QVERIFY(ann->signOn(serverAddress, m_server.port(), QStringLiteral("ann")));
    unframed->takeRawBlocks();

    // A lone continuation byte, a cut sequence, an encoded surrogate and an overlong slash.
    ann->sendRaw(framed("Message ann:a\x80" "b\xC3" "c\xED\xA0\x80" "d\xC0\xAF" "e"));
    const QStringList received = ann->receive(1);
    QCOMPARE(received.size(), 1);
    QVERIFY2(received.constFirst().startsWith(QStringLiteral("Message ann:a\uFFFDb\uFFFDc\uFFFD")), qPrintable(received.constFirst()));
    QVERIFY(received.constFirst().endsWith(QStringLiteral("e")));
    QVERIFY(unframed->waitForBlocks(1));
    const QByteArray old = unframed->takeRawBlocks().constFirst();
    QVERIFY2(old.startsWith("Message ann:a?b?c?"), old.constData());
    QVERIFY(!old.contains('\x80') && !old.contains('\xC3') && !old.contains('\xED') && !old.contains('\xC0'));
}

QTEST_GUILESS_MAIN(ExtensionsTest)
#include "tst_extensions.moc"
