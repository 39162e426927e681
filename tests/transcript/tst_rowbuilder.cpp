#include "app/AppDir.h"
#include "transcript/ColourEmoji.h"
#include "transcript/ImageCache.h"
#include "transcript/MessageMarkup.h"
#include "transcript/PageHead.h"
#include "transcript/RowBuilder.h"
#include "transcript/RowLinks.h"
#include "transcript/SingleCellRow.h"
#include "transcript/TranscriptDocument.h"
#include "transcript/TranscriptRows.h"

#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>

namespace {

const QString stamp = QStringLiteral("12:00:00");

QString chat(const QString &typed)
{
    return TranscriptRows::chatRow(stamp, QStringLiteral("bob"), MessageMarkup::ConvertMarkup(typed));
}

QString propertiesOf(const QTextFormat &format)
{
    QStringList properties;
    const QMap<int, QVariant> all = format.properties();
    for (auto property = all.cbegin(); property != all.cend(); ++property) {
        // The import leaves an object index of 0 on some pictures and not on others; it names nothing.
        if (property.key() != QTextFormat::ObjectIndex)
            properties.append(QStringLiteral("%1=%2").arg(property.key()).arg(property.value().toString()));
    }
    return properties.join(u' ');
}

// The document as text: every block with its format, then each run of characters alike in format.
QString described(const QTextDocument &document)
{
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        lines.append(QStringLiteral("block {%1} {%2}").arg(propertiesOf(block.blockFormat()), propertiesOf(block.charFormat())));
        QString run;
        QString runFormat;
        for (auto piece = block.begin(); !piece.atEnd(); ++piece) {
            const QString format = propertiesOf(piece.fragment().charFormat());
            if (format != runFormat && !run.isEmpty()) {
                lines.append(QStringLiteral("  \"%1\" {%2}").arg(run, runFormat));
                run.clear();
            }
            run += piece.fragment().text();
            runFormat = format;
        }
        if (!run.isEmpty())
            lines.append(QStringLiteral("  \"%1\" {%2}").arg(run, runFormat));
    }
    return lines.join(u'\n');
}

// The engine's import leaves entities undecoded in a value in single quotes, where HTML and the
// builder decode them; in double quotes the import decodes them too.
QString withAddressesInDoubleQuotes(const QString &block)
{
    static const QRegularExpression singleQuoted(QStringLiteral("href='([^'\"]*)'"));
    return QString(block).replace(singleQuoted, QStringLiteral("href=\"\\1\""));
}

} // namespace

class tst_RowBuilder : public QObject
{
    Q_OBJECT
private:
    ImageCache m_images;

private slots:
    void initTestCase() { setApplicationDirectory(QStringLiteral("/opt/korvani")); }
    void cleanupTestCase() { setApplicationDirectory(QString()); }

    // Built directly, a row is the document the engine's import makes of it: same blocks, same text,
    // same formats.
    void buildsWhatTheImportMakes_data()
    {
        QTest::addColumn<QString>("fragment");
        QTest::newRow("chat") << chat("hello everyone");
        QTest::newRow("smileys") << chat("second :) row :D:D lol");
        QTest::newRow("markup") << chat("[B]bold[/B] [I]it[/I] [U]u[/U] [B][I][U]all[/U][/I][/B] [/B]x");
        QTest::newRow("bold left open") << chat("[B]open :)");
        QTest::newRow("link") << chat("see [URL]www.example.com[/URL]this [B]page[/B] :)[URL/] now");
        QTest::newRow("quoted link") << chat("[URL]x' style='color:red&amp;[/URL]fake[URL/]");
        QTest::newRow("address with entities") << chat("[URL]a.com/?x&amp;y&z&#65;[/URL]b[URL/]");
        QTest::newRow("link left open") << chat("[URL]a[/URL]b");
        QTest::newRow("rules") << chat("above[HR]below [B]bold[HR]still[/B][HR]");
        QTest::newRow("rules side by side") << chat("[HR][HR]x[HR]:)x :)[HR]");
        QTest::newRow("typed brackets and entities") << chat("5 < 6 &amp; &lt;b&gt; &eacute; &#233; & x");
        QTest::newRow("line breaks") << QStringLiteral("<div class='system'>a<br>b <br> <br>c<br></div>");
        QTest::newRow("no-break spaces") << chat("a&nbsp;&nbsp;b \u00a0 \u00a0c");
        QTest::newRow("runs of blanks") << chat("  a    b \t c \r\n d  ");
        QTest::newRow("private") << TranscriptRows::pmRow(stamp, QStringLiteral("eve<3"), QStringLiteral("<i>x</i> &amp;"));
        QTest::newRow("notice") << TranscriptRows::textRow(stamp, QStringLiteral("  ~// You must enter text to send it"));
        QTest::newRow("system") << QStringLiteral("<table cellspacing='0' cellpadding='0'><tr><td class='system'>[12:00:00] "
                                                  "Server: bob has joined to Chat!!!</td></tr></table>");
    }
    void buildsWhatTheImportMakes()
    {
        QFETCH(QString, fragment);
        const QString block = SingleCellRow::asBlock(fragment);
        QVERIFY(block.startsWith(QStringLiteral("<div")));
        TranscriptDocument imported(m_images, PageHead::styleSheet(), QFont());
        imported.setHtml(withAddressesInDoubleQuotes(block));
        ColourEmoji::giveFallback(imported); // as a row imported for the page gets it
        TranscriptDocument built(m_images, PageHead::styleSheet(), QFont());
        RowBuilder builder(PageHead::styleSheet(), QFont());
        QVERIFY(builder.build(built, block));
        const QStringList builtLines = described(built).split(u'\n');
        const QStringList importedLines = described(imported).split(u'\n');
        for (int line = 0; line < std::min(builtLines.size(), importedLines.size()); ++line)
            QCOMPARE(builtLines.at(line), importedLines.at(line));
        QCOMPARE(builtLines.size(), importedLines.size());
    }

    // A link goes where its address was written, whichever way the markup quoted it.
    void readsLinkAddressesAsWritten_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("href");
        QTest::newRow("plain") << "[URL]a.com/x[/URL]b[URL/]" << "a.com/x";
        QTest::newRow("apostrophe") << "[URL]a.com/Ender's_Game[/URL]b[URL/]" << "a.com/Ender's_Game";
        QTest::newRow("double quotes") << "[URL]a.com/\"x\"[/URL]b[URL/]" << "a.com/\"x\"";
        QTest::newRow("brackets") << "[URL]a.com/<x>[/URL]b[URL/]" << "a.com/<x>";
        QTest::newRow("brackets, quoted") << "[URL]a.com/?q=<x>[/URL]b[URL/]" << "a.com/?q=<x>";
        QTest::newRow("blank") << "[URL]a.com/x y[/URL]b[URL/]" << "a.com/x y";
        // The markup names characters by entities, in an address as anywhere.
        QTest::newRow("entity") << "[URL]a.com/x&amp;y[/URL]b[URL/]" << "a.com/x&y";
        QTest::newRow("entity, quoted") << "[URL]a.com/?x=1&amp;y=&#39;[/URL]b[URL/]" << "a.com/?x=1&y='";
        QTest::newRow("ampersand") << "[URL]a.com/?x=1&y=2[/URL]b[URL/]" << "a.com/?x=1&y=2";
    }
    void readsLinkAddressesAsWritten()
    {
        QFETCH(QString, typed);
        QFETCH(QString, href);
        TranscriptDocument built(m_images, PageHead::styleSheet(), QFont());
        RowBuilder builder(PageHead::styleSheet(), QFont());
        QVERIFY(builder.build(built, SingleCellRow::asBlock(chat(typed))));
        const QList<RowLinks::Link> links = RowLinks::in(built);
        QCOMPARE(links.size(), 1);
        QCOMPARE(links.first().href, href);
    }

    // Any other shape is left to the import.
    void leavesOtherShapesToTheImport_data()
    {
        QTest::addColumn<QString>("html");
        QTest::newRow("banner") << "<div align='center'><span class='style1'>Welcome</span></div><hr>";
        QTest::newRow("table") << "<table><tr><td>x</td></tr></table>";
        QTest::newRow("unknown tag") << "<div class='message'>a <font color=red>b</font></div>";
        QTest::newRow("picture with a size") << "<div><img src='x' width='9000' /></div>";
        QTest::newRow("link with a style") << "<div><a href='x' style='color:red'>b</a></div>";
        QTest::newRow("text after the block") << "<div>a</div>b<div>c</div>";
        QTest::newRow("nested block") << "<div><div>a</div></div>";
    }
    void leavesOtherShapesToTheImport()
    {
        QFETCH(QString, html);
        TranscriptDocument document(m_images, PageHead::styleSheet(), QFont());
        RowBuilder builder(PageHead::styleSheet(), QFont());
        QVERIFY(!builder.build(document, html));
    }
};

QTEST_MAIN(tst_RowBuilder)
#include "tst_rowbuilder.moc"
