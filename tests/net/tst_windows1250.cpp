#include "net/Windows1250.h"
#include "net/WireProtocol.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTest>

class tst_Windows1250 : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("ASCII") << "Message Ann:hi [B]all[/B] :)" << QByteArray("Message Ann:hi [B]all[/B] :)");
        QTest::newRow("Czech") << QString::fromUtf8("čřžěůďťň ČŘŽĚŮĎŤŇ") << QByteArray("\xE8\xF8\x9E\xEC\xF9\xEF\x9D\xF2 \xC8\xD8\x8E\xCC\xD9\xCF\x8D\xD2");
        QTest::newRow("Hungarian") << QString::fromUtf8("őű ŐŰ áé") << QByteArray("\xF5\xFB \xD5\xDB \xE1\xE9");
        QTest::newRow("Polish") << QString::fromUtf8("ąćęłńśźż ĄĆĘŁŃŚŹŻ") << QByteArray("\xB9\xE6\xEA\xB3\xF1\x9C\x9F\xBF \xA5\xC6\xCA\xA3\xD1\x8C\x8F\xAF");
        QTest::newRow("Slovak, Slovenian, Croatian") << QString::fromUtf8("ľĺŕôä đĐ šŠ") << QByteArray("\xBE\xE5\xE0\xF4\xE4 \xF0\xD0 \x9A\x8A");
        QTest::newRow("Romanian") << QString::fromUtf8("ăâîşţ") << QByteArray("\xE3\xE2\xEE\xBA\xFE");
        QTest::newRow("punctuation") << QString::fromUtf8("€ „x“ – — … ‰ ™ • ‹›") << QByteArray("\x80 \x84x\x93 \x96 \x97 \x85 \x89 \x99 \x95 \x8B\x9B");
        QTest::newRow("control characters") << QStringLiteral("a\r\nb\tc") << QByteArray("a\r\nb\tc");
        QTest::newRow("empty") << QString() << QByteArray();
    }

    void roundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Windows1250::encode(text), bytes);
        QCOMPARE(Windows1250::decode(bytes), text);
    }

    void outsideTheCodePage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("Chinese") << QString::fromUtf8("你好") << QByteArray("??");
        QTest::newRow("emoji is one character") << QString::fromUtf8("a😀b") << QByteArray("a?b");
        QTest::newRow("Cyrillic") << QString::fromUtf8("Привет") << QByteArray("??????");
        QTest::newRow("Latin letters of other code pages") << QString::fromUtf8("ñāø") << QByteArray("???");
        QTest::newRow("replacement character") << QString(QChar(0xFFFD)) << QByteArray("?");
        QTest::newRow("lone high surrogate before a letter") << (QString(QChar(0xD83D)) + QLatin1Char('A')) << QByteArray("?A");
        QTest::newRow("lone low surrogate") << QString(QChar(0xDE00)) << QByteArray("?");
        QTest::newRow("high surrogate at the end") << (QStringLiteral("x") + QChar(0xD83D)) << QByteArray("x?");
        QTest::newRow("emoji sequence joined by ZWJ") << QString::fromUtf8("a👨‍👩‍👧b") << QByteArray("a?b");
        QTest::newRow("flags") << QString::fromUtf8("🇵🇱🇨🇿") << QByteArray("??");
        QTest::newRow("emoji with skin tone") << QString::fromUtf8("👍🏽!") << QByteArray("?!");
        QTest::newRow("letter and mark without a character of its own") << QString::fromUtf8("xq\u0301y") << QByteArray("x?y");
        QTest::newRow("letter and mark the code page holds composed") << QString::fromUtf8("e\u0301c\u030Cz") << QByteArray("\xE9\xE8z");
        QTest::newRow("letter with a run of marks") << (QStringLiteral("a") + QString(65536, QChar(0x0301)) + QStringLiteral("b"))
                                                    << QByteArray("?b");
        QTest::newRow("Japanese after Czech") << QString::fromUtf8("čau 日本") << QByteArray("\xE8" "au ??");
        QTest::newRow("real SUB character stays") << QStringLiteral("\x1a") << QByteArray("\x1a");
    }

    void outsideTheCodePage()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Windows1250::encode(text), bytes);
    }

    // Every byte is one character and comes back as the same byte, the five undefined ones too.
    void everyByteRoundTrips()
    {
        QByteArray all;
        for (int byte = 0; byte < 256; ++byte)
            all += char(byte);
        const QString text = Windows1250::decode(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(Windows1250::encode(text), all);
    }

    // The table agrees with the system's converter for every byte.
    void agreesWithTheSystemConverter()
    {
        QStringDecoder system("windows-1250");
        if (!system.isValid())
            QSKIP("the system converter has no windows-1250");
        for (int byte = 0; byte < 256; ++byte) {
            const QByteArray one(1, char(byte));
            QCOMPARE(Windows1250::decode(one), QString(system.decode(one)));
        }
    }

    // Whatever a server sends decodes and splits without harm.
    void randomBytesDecodeAndSplit()
    {
        QRandomGenerator random(1250);
        for (int block = 0; block < 200; ++block) {
            QByteArray bytes(int(random.bounded(2000)), Qt::Uninitialized);
            for (char &byte : bytes)
                byte = char(random.bounded(256));
            if (block % 2)
                bytes.prepend("Message ");
            const QString text = Windows1250::decode(bytes);
            QCOMPARE(text.size(), bytes.size());
            QCOMPARE(Windows1250::encode(text), bytes);
            const WireProtocol::Received received = WireProtocol::split(text);
            QVERIFY(received.command.size() + received.payload.size() <= text.size());
        }
    }

    // Any UTF-16 text, broken surrogates included, encodes to at most one byte per unit.
    void randomTextEncodes()
    {
        QRandomGenerator random(1250);
        for (int round = 0; round < 200; ++round) {
            QString text(int(random.bounded(2000)), Qt::Uninitialized);
            for (QChar &unit : text)
                unit = QChar(char16_t(random.bounded(0x10000)));
            const QByteArray bytes = Windows1250::encode(text);
            QVERIFY(bytes.size() <= text.size());
            QVERIFY(!bytes.contains('\x1a') || text.contains(QChar(0x1a)));
        }
    }
};

QTEST_GUILESS_MAIN(tst_Windows1250)
#include "tst_windows1250.moc"
