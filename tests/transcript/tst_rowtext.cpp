#include "transcript/MessageMarkup.h"
#include "transcript/RowText.h"
#include "transcript/SingleCellRow.h"
#include "transcript/TranscriptRows.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTextDocument>

namespace {

// What the page engine shows of a row, as one line per paragraph.
QString shownByTheEngine(const QString &fragment)
{
    QTextDocument document;
    document.setHtml(SingleCellRow::asBlock(fragment));
    QString text = document.toPlainText();
    text.remove(QChar::ObjectReplacementCharacter);
    while (text.startsWith(u'\n'))
        text.remove(0, 1);
    while (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

const QString stamp = QStringLiteral("12:00:00");

} // namespace

class tst_RowText : public QObject
{
    Q_OBJECT
private slots:
    // The text kept beside each row is what copying gives; for the rows the program writes it is the
    // engine's own text of the row.
    void readsWhatTheEngineShows_data()
    {
        QTest::addColumn<QString>("fragment");
        const auto chat = [](const QString &typed) {
            return TranscriptRows::chatRow(stamp, QStringLiteral("bob"), MessageMarkup::ConvertMarkup(typed));
        };
        QTest::newRow("chat") << chat("hello everyone");
        QTest::newRow("smiley between blanks") << chat("second :) row");
        QTest::newRow("markup") << chat("[B]bold[/B] [I]it[/I] [U]u[/U] lol!! ?? :cool:");
        QTest::newRow("link") << chat("see [URL]www.example.com[/URL]this page[URL/] now");
        QTest::newRow("hostile link") << chat("[URL]x' style='color:red[/URL]fake[URL/]");
        QTest::newRow("typed brackets and entities") << chat("5 < 6 &amp; &lt;b&gt; &eacute; &#233; &#x41; & x");
        QTest::newRow("runs of blanks") << chat("a    b \t c");
        QTest::newRow("blanks at the end") << chat("a  ");
        QTest::newRow("blanks before a rule") << chat("a [HR] b [B] [/B]");
        QTest::newRow("rule") << chat("above[HR]below");
        QTest::newRow("two rules") << chat("[HR]above[HR][HR]below");
        QTest::newRow("private") << TranscriptRows::pmRow(stamp, QStringLiteral("eve<3"), QStringLiteral("<i>x</i> &amp;"));
        QTest::newRow("notice") << TranscriptRows::textRow(stamp, QStringLiteral("  ~// You must enter text to send it"));
        QTest::newRow("banner") << QStringLiteral("<div align='center'><span class='style1'>Welcome to Korvani ann</span></div><hr>");
        QTest::newRow("message of the day")
            << QStringLiteral("<table cellspacing='0' cellpadding='0'><tr><td class='system'>[12:00:00] Server: Rules: "
                              "<a href='x'>here</a> </td></tr></table><hr>");
        QTest::newRow("no-break space") << QStringLiteral("a&nbsp;&nbsp;b \u00a0 \u00a0c");
        QTest::newRow("style hidden") << QStringLiteral("<style>p { color: red }</style>shown");
        QTest::newRow("comment") << QStringLiteral("a<!-- b -->c");
    }
    void readsWhatTheEngineShows()
    {
        QFETCH(QString, fragment);
        QCOMPARE(RowText::plainText(fragment), shownByTheEngine(fragment));
    }

    // Whatever a row holds, it is read in one pass and never runs past its end.
    void readsBrokenMarkup_data()
    {
        QTest::addColumn<QString>("fragment");
        QTest::addColumn<QString>("text");
        QTest::newRow("tag never closed") << "a<b class='x>y" << "a";
        QTest::newRow("lone brackets") << "1 < 2 > 0 <3" << "1 < 2 > 0 <3";
        QTest::newRow("ampersand without entity") << "a & b &; &zz9999999999999999999999999999999999999;"
                                                  << "a & b &; &zz9999999999999999999999999999999999999;";
        QTest::newRow("numeric entity out of range") << "&#99999999; &#0;" << "&#99999999; &#0;";
        QTest::newRow("comment never closed") << "a<!-- b" << "a";
        QTest::newRow("style never closed") << "a<style>b" << "a";
        QTest::newRow("breaks") << "a<br>b<br><br>c" << "a\nb\n\nc";
    }
    void readsBrokenMarkup()
    {
        QFETCH(QString, fragment);
        QFETCH(QString, text);
        QCOMPARE(RowText::plainText(fragment), text);
    }

    // Any mix of the characters that make up markup is read to its end.
    void readsAnyMixOfMarkupCharacters()
    {
        const QString alphabet = QStringLiteral("<>/&;#x'\"= \tabdiv!-\u00a0");
        QRandomGenerator random(10);
        for (int i = 0; i < 5000; ++i) {
            QString html;
            for (int length = random.bounded(60); length > 0; --length)
                html += alphabet.at(random.bounded(int(alphabet.size())));
            const QString text = RowText::plainText(html);
            QVERIFY(text.size() <= html.size());
        }
    }
};

QTEST_MAIN(tst_RowText)
#include "tst_rowtext.moc"
