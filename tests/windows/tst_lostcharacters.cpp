#include "windows/CodePageLoss.h"
#include "windows/InputLine.h"
#include "windows/OwnEchoes.h"

#include <QTest>
#include <QTextCursor>

namespace {

using Runs = QList<std::pair<int, int>>; // position, length

Runs runsOf(const QList<CodePageLoss::Run> &runs)
{
    Runs plain;
    for (const CodePageLoss::Run &run : runs)
        plain.append({int(run.position), int(run.length)});
    return plain;
}

Runs marksOf(const InputLine &line)
{
    Runs plain;
    for (const QTextEdit::ExtraSelection &mark : line.lostCharacterMarks())
        plain.append({mark.cursor.selectionStart(), mark.cursor.selectionEnd() - mark.cursor.selectionStart()});
    return plain;
}

} // namespace

Q_DECLARE_METATYPE(Runs)

class tst_LostCharacters : public QObject
{
    Q_OBJECT
private slots:
    void findsWhatTheCodePageLoses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Runs>("runs");
        QTest::addColumn<QString>("named");
        QTest::newRow("nothing lost") << QStringLiteral("Za\u017C\u00F3\u0142\u0107 g\u0119\u015Bl\u0105 ? \u20AC\u201E\u2122")
                                      << Runs() << "";
        QTest::newRow("emoji and Japanese") << QStringLiteral("Za\u017C\u00F3\u0142\u0107 \U0001F600 \u65E5\u672C")
                                            << Runs{{7, 2}, {10, 2}} << QStringLiteral("\U0001F600\u65E5\u672C");
        QTest::newRow("neighbours merge, each named once")
            << QStringLiteral("\u05E9\u05E9\U0001F600\u05E9a") << Runs{{0, 5}} << QStringLiteral("\u05E9\U0001F600");
        QTest::newRow("a lone surrogate") << QString(QChar(0xD800)) + u'x' << Runs{{0, 1}} << QString(QChar(0xD800));
        QTest::newRow("Greek and Cyrillic") << QStringLiteral("\u0391 \u0416") << Runs{{0, 1}, {2, 1}}
                                            << QStringLiteral("\u0391\u0416");
    }
    void findsWhatTheCodePageLoses()
    {
        QFETCH(QString, text);
        QFETCH(Runs, runs);
        QFETCH(QString, named);
        QCOMPARE(runsOf(CodePageLoss::lostRuns(text, 100)), runs);
        QCOMPARE(CodePageLoss::lostCharacters(text, 100), named);

        // The input line marks the same runs while its connection takes Windows-1250 only.
        InputLine line;
        line.setText(text);
        QVERIFY(marksOf(line).isEmpty());
        line.setMarksLostCharacters(true);
        QCOMPARE(marksOf(line), runs);
        QCOMPARE(line.toolTip().isEmpty(), named.isEmpty());
        QVERIFY(named.isEmpty() || line.toolTip().endsWith(named));
        line.setMarksLostCharacters(false);
        QVERIFY(marksOf(line).isEmpty());
        QVERIFY(line.toolTip().isEmpty());
    }

    void marksFollowTheTyping()
    {
        InputLine line;
        line.setMarksLostCharacters(true);
        line.appendText(QStringLiteral("hi "));
        QVERIFY(marksOf(line).isEmpty());
        line.appendText(QStringLiteral("\u65E5"));
        QCOMPARE(marksOf(line), (Runs{{3, 1}}));
        QTextCursor cursor(line.document());
        cursor.setPosition(0);
        cursor.insertText(QStringLiteral("\U0001F600"));
        QCOMPARE(marksOf(line), (Runs{{0, 2}, {5, 1}}));
        line.setText(QString());
        QVERIFY(marksOf(line).isEmpty());
    }

    // A pasted megabyte with a lost character every other place: the marks stop at a bound.
    void marksOfTheLargestPasteAreBounded()
    {
        InputLine line;
        line.setMarksLostCharacters(true);
        line.setText(QStringLiteral("-\u65E5").repeated(512 * 1024));
        QCOMPARE(marksOf(line).size(), 1000);
        QCOMPARE(marksOf(line).last(), (std::pair<int, int>{1999, 1}));
        QCOMPARE(line.toolTip().endsWith(QStringLiteral("\u65E5")), true);
    }

    void ownEchoesAreKeptWithinBounds()
    {
        OwnEchoes echoes;
        echoes.sent(QStringLiteral("plain"));
        QCOMPARE(echoes.shown(QStringLiteral("bob"), QStringLiteral("bob"), QStringLiteral("plain")), QStringLiteral("plain"));
        for (int message = 0; message < OwnEchoes::MaxMessages + 4; ++message)
            echoes.sent(QString::number(message) + QStringLiteral("\u65E5"));
        // The oldest were forgotten, the newer ones are still known.
        QCOMPARE(echoes.shown(QStringLiteral("bob"), QStringLiteral("bob"), QStringLiteral("0?")), QStringLiteral("0?"));
        const QString marked = QStringLiteral("10") + QChar(QChar::ReplacementCharacter);
        QCOMPARE(echoes.shown(QStringLiteral("bob"), QStringLiteral("bob"), QStringLiteral("10?")), marked);
        // Those sent before the one that came back are not coming any more.
        QCOMPARE(echoes.shown(QStringLiteral("bob"), QStringLiteral("bob"), QStringLiteral("9?")), QStringLiteral("9?"));
        QCOMPARE(echoes.shown(QStringLiteral("bob"), QStringLiteral("bob"), QStringLiteral("11?")),
                 QStringLiteral("11") + QChar(QChar::ReplacementCharacter));

        // A message larger than the bound is not kept at all.
        echoes.clear();
        const QString huge = QStringLiteral("\u65E5").repeated(OwnEchoes::MaxCharacters + 1);
        echoes.sent(huge);
        QCOMPARE(echoes.shown(QStringLiteral("bob"), QStringLiteral("bob"), QString(huge.size(), u'?')), QString(huge.size(), u'?'));
    }
};

QTEST_MAIN(tst_LostCharacters)
#include "tst_lostcharacters.moc"
