// The server's log against hostile values: every value a user or a configuration chose is
// escaped and cut to a bounded length, and lines about one address come at a bounded rate.

#include "LogText.h"
#include "LogThrottle.h"
#include "ServerLog.h"

#include <QTest>

class ServerLogTest : public QObject
{
    Q_OBJECT

private slots:
    void valuesAreEscapedAndCut_data();
    void valuesAreEscapedAndCut();
    void bytesAreQuotedAsRead_data();
    void bytesAreQuotedAsRead();
    void linesCarryNoRawControlCharacter();
    void linesAboutOneAddressAreThrottled();
};

void ServerLogTest::valuesAreEscapedAndCut_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("quoted");

    const QString sixtyFour(64, QLatin1Char('n'));
    QTest::newRow("plain name") << QStringLiteral("ann") << QStringLiteral("\"ann\"");
    QTest::newRow("quote and backslash") << QStringLiteral("a\"b\\c") << QStringLiteral("\"a\\\"b\\\\c\"");
    QTest::newRow("line end and escape") << QStringLiteral("victim\n\x1b[2J") << QStringLiteral("\"victim\\x0a\\x1b[2J\"");
    QTest::newRow("C1 control") << QStringLiteral("a\u0085b") << QStringLiteral("\"a\\x85b\"");
    QTest::newRow("64 characters, whole") << sixtyFour << QLatin1Char('"') + sixtyFour + QLatin1Char('"');
    QTest::newRow("65 characters, cut") << sixtyFour + QLatin1Char('x')
                                        << QLatin1Char('"') + sixtyFour + QStringLiteral("\"... (1 more characters)");
    QTest::newRow("1 MB name") << QString(1000000, QLatin1Char('n'))
                               << QLatin1Char('"') + sixtyFour + QStringLiteral("\"... (999936 more characters)");
    QTest::newRow("surrogate pair at the cut stays whole")
        << QString(63, QLatin1Char('a')) + QString::fromUtf8("\xF0\x9F\x98\x80") + QLatin1Char('b')
        << QLatin1Char('"') + QString(63, QLatin1Char('a')) + QStringLiteral("\"... (3 more characters)");
    QTest::newRow("controls cut like any character")
        << QString(100, QLatin1Char('\n')) << QLatin1Char('"') + QStringLiteral("\\x0a").repeated(64)
                                                  + QStringLiteral("\"... (36 more characters)");
}

void ServerLogTest::valuesAreEscapedAndCut()
{
    QFETCH(QString, value);
    QFETCH(QString, quoted);

    QCOMPARE(LogText::quoted(value), quoted);
}

void ServerLogTest::bytesAreQuotedAsRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("quoted");

    QTest::newRow("plain") << QByteArray("name") << QStringLiteral("\"name\"");
    QTest::newRow("NUL and bytes that are no UTF-8") << QByteArray("\x00\xFF\xFE", 3) << QStringLiteral("\"\\x00\\xff\\xfe\"");
    QTest::newRow("UTF-8 shows as its characters") << QByteArray("p\xC3\xA9") << QString::fromUtf8("\"p\xC3\xA9\"");
    QTest::newRow("quote, backslash and line end") << QByteArray("a\"\\\n") << QStringLiteral("\"a\\\"\\\\\\x0a\"");
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << QStringLiteral("\"\\xc0\\xaf\"");
    QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80") << QStringLiteral("\"\\xed\\xa0\\x80\"");
    QTest::newRow("sequence cut short") << QByteArray("\xE2\x82x") << QStringLiteral("\"\\xe2\\x82x\"");
    QTest::newRow("replacement character as written") << QByteArray("\xEF\xBF\xBD") << QStringLiteral("\"\uFFFD\"");
    QTest::newRow("1 MB of 0xFF") << QByteArray(1000000, '\xFF')
                                  << QLatin1Char('"') + QStringLiteral("\\xff").repeated(64)
                                         + QStringLiteral("\"... (999936 more bytes)");
}

void ServerLogTest::bytesAreQuotedAsRead()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, quoted);

    QCOMPARE(LogText::quotedBytes(bytes), quoted);
}

void ServerLogTest::linesCarryNoRawControlCharacter()
{
    const QDateTime when = QDateTime::currentDateTime();
    // A configuration value, as a refusal of it names it.
    const QString event = QStringLiteral("--port takes a whole number from 1 to 65535, not 1\nkorvani-server: forged\r\x1b");
    QCOMPARE(ServerLog::line(event, when, false),
             QStringLiteral("korvani-server: --port takes a whole number from 1 to 65535, not "
                            "1\\x0akorvani-server: forged\\x0d\\x1b"));

    const QString line = ServerLog::line(QStringLiteral("cannot read ") + QString(1000000, QLatin1Char('\t')), when, true);
    QVERIFY(line.size() < LogText::MaxLineCharacters * 4 + 100);
    QVERIFY(line.endsWith(QStringLiteral("... (998988 more characters)")));
    for (const QChar character : line)
        QVERIFY(character.category() != QChar::Other_Control);
}

void ServerLogTest::linesAboutOneAddressAreThrottled()
{
    const QHostAddress noisy(QStringLiteral("192.0.2.1"));
    const QHostAddress other(QStringLiteral("192.0.2.2"));
    LogThrottle throttle;
    qint64 leftOut = -1;
    int written = 0;
    for (int i = 0; i < 1000; ++i)
        written += throttle.admit(noisy, 0, &leftOut) ? 1 : 0;
    QVERIFY(written >= LogThrottle::BurstLines && written <= LogThrottle::BurstLines + 1);
    QVERIFY(throttle.admit(other, 0, &leftOut));
    QCOMPARE(leftOut, 0);

    // The next line that goes says how many were left out.
    QVERIFY(throttle.admit(noisy, 1000, &leftOut));
    QCOMPARE(leftOut, 1000 - written);
    QVERIFY(throttle.admit(noisy, 1000, &leftOut));
    QCOMPARE(leftOut, 0);

    // A steady trickle within the rate loses nothing.
    for (qint64 ms = 100000; ms < 200000; ms += 1000 / qint64(LogThrottle::LinesPerSecond)) {
        QVERIFY(throttle.admit(noisy, ms, &leftOut));
        QCOMPARE(leftOut, 0);
    }

    // Many addresses that spoke once are forgotten once they are quiet, without harm.
    for (quint32 i = 0; i < 100000; ++i)
        QVERIFY(throttle.admit(QHostAddress(0x0A000000 + i), 300000 + i * 100, &leftOut));
}

QTEST_GUILESS_MAIN(ServerLogTest)
#include "tst_serverlog.moc"
