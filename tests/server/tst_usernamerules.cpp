// The names korvani-server lets sign on while "bob" and "Straße" are signed on: names nobody can
// fake, whatever script or encoding the client writes in.

#include "ChatRoom.h"
#include "RoomOutput.h"
#include "UserNameRules.h"

#include <QTest>

namespace {
class SilentOutput : public RoomOutput
{
public:
    void send(const QList<ClientId> &, const QString &) override {}
    void closeWhenSent(ClientId) override {}
    void log(ClientId, const QString &) override {}
};
}

Q_DECLARE_METATYPE(UserNameRules::Problem)

class UserNameRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void names_data();
    void names();
    void nameIsFreeAgainAfterItsUserLeft();
    void longestNameIsRefusedByLength();
};

void UserNameRulesTest::names_data()
{
    using Problem = UserNameRules::Problem;
    QTest::addColumn<QString>("name");
    QTest::addColumn<Problem>("problem");

    QTest::newRow("plain") << QStringLiteral("alice") << Problem::None;
    QTest::newRow("blank inside") << QStringLiteral("Jan Novak") << Problem::None;
    QTest::newRow("Windows-1250 letters") << QString::fromUtf8("Čeněk Žluťoučký") << Problem::None;
    QTest::newRow("sharp s that is no twin") << QString::fromUtf8("Strasser") << Problem::None;
    QTest::newRow("same name") << QStringLiteral("bob") << Problem::InUse;
    QTest::newRow("other letter case") << QStringLiteral("Bob") << Problem::InUse;
    QTest::newRow("capitals") << QStringLiteral("BOB") << Problem::InUse;
    QTest::newRow("sharp s folded in full") << QStringLiteral("STRASSE") << Problem::InUse;
    QTest::newRow("sharp s spelled out in small letters") << QStringLiteral("strasse") << Problem::InUse;
    QTest::newRow("soft hyphen") << QString::fromUtf8("bob\u00AD") << Problem::ForbiddenCharacter;
    QTest::newRow("no-break space inside") << QString::fromUtf8("b\u00A0ob") << Problem::ForbiddenCharacter;
    QTest::newRow("zero-width space") << QString::fromUtf8("b\u200Bob") << Problem::ForbiddenCharacter;
    QTest::newRow("zero-width joiner") << QString::fromUtf8("bo\u200Db") << Problem::ForbiddenCharacter;
    QTest::newRow("byte-order mark") << (QChar(0xFEFF) + QStringLiteral("bob")) << Problem::ForbiddenCharacter;
    QTest::newRow("right-to-left override") << QString::fromUtf8("\u202Ebob") << Problem::ForbiddenCharacter;
    QTest::newRow("right-to-left isolate") << QString::fromUtf8("\u2067bob\u2069") << Problem::ForbiddenCharacter;
    QTest::newRow("left-to-right mark") << QString::fromUtf8("bob\u200E") << Problem::ForbiddenCharacter;
    QTest::newRow("ideographic space") << QString::fromUtf8("b\u3000ob") << Problem::ForbiddenCharacter;
    QTest::newRow("line separator") << QString::fromUtf8("b\u2028ob") << Problem::ForbiddenCharacter;
    QTest::newRow("control character") << QStringLiteral("b\tob") << Problem::ForbiddenCharacter;
    QTest::newRow("C1 control character") << QString::fromUtf8("b\u0085ob") << Problem::ForbiddenCharacter;
    QTest::newRow("replacement character") << QString::fromUtf8("b\uFFFDob") << Problem::ForbiddenCharacter;
    QTest::newRow("colon") << QStringLiteral("a:b") << Problem::ForbiddenCharacter;
    QTest::newRow("letter and combining mark") << QString::fromUtf8("Rene\u0301") << Problem::NotNormalized;
    QTest::newRow("Cyrillic look-alike") << QString::fromUtf8("b\u043Eb") << Problem::NotInCodePage;
    QTest::newRow("Greek") << QString::fromUtf8("Ελένη") << Problem::NotInCodePage;
    QTest::newRow("emoji") << QString::fromUtf8("bob😀") << Problem::NotInCodePage;
    QTest::newRow("fullwidth letters") << QString::fromUtf8("ｂｏｂ") << Problem::NotInCodePage;
    QTest::newRow("trailing blank") << QStringLiteral("alice ") << Problem::BlankAtEnd;
    QTest::newRow("empty") << QString() << Problem::Empty;
    QTest::newRow("33 characters") << QString(33, QLatin1Char('n')) << Problem::TooLong;
    QTest::newRow("32 characters") << QString(32, QLatin1Char('n')) << Problem::None;
}

void UserNameRulesTest::names()
{
    QFETCH(QString, name);
    QFETCH(UserNameRules::Problem, problem);

    SilentOutput output;
    ChatRoom room(&output, {});
    room.receive(1, QStringLiteral("Join bob"));
    room.receive(2, QString::fromUtf8("Join Straße"));
    QCOMPARE(room.userNames(), (QStringList{QStringLiteral("bob"), QString::fromUtf8("Straße")}));

    QCOMPARE(room.nameProblem(name), problem);
    room.receive(3, QStringLiteral("Join ") + name);
    QCOMPARE(room.isSignedOn(3), problem == UserNameRules::Problem::None);
}

void UserNameRulesTest::nameIsFreeAgainAfterItsUserLeft()
{
    SilentOutput output;
    ChatRoom room(&output, {});
    room.receive(1, QStringLiteral("Join bob"));
    room.receive(1, QStringLiteral("Leave bob"));
    room.receive(2, QStringLiteral("Join BOB"));
    QVERIFY(room.isSignedOn(2));
}

void UserNameRulesTest::longestNameIsRefusedByLength()
{
    // A name as long as a message may be costs no more than its length.
    QString name(64 * 1024, QChar(0x0301));
    name[0] = QLatin1Char('a');
    QCOMPARE(UserNameRules::check(name), UserNameRules::Problem::TooLong);
}

QTEST_GUILESS_MAIN(UserNameRulesTest)
#include "tst_usernamerules.moc"
