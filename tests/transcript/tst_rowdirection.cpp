#include "transcript/MessageMarkup.h"
#include "transcript/PageHead.h"
#include "transcript/RowDocuments.h"
#include "transcript/TranscriptRows.h"

#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <limits>

namespace {

const QString stamp = QStringLiteral("12:00:00");

struct Span
{
    qreal left = std::numeric_limits<qreal>::max();
    qreal right = std::numeric_limits<qreal>::lowest();
    bool isEmpty() const { return left > right; }
};

// Where the characters from `from` up to `to` are drawn on the row's first line, whatever order
// they are drawn in.
Span spanOf(const QTextBlock &block, int from, int to)
{
    const QTextLine line = block.layout()->lineAt(0);
    Span span;
    for (int position = from; position < to; ++position) {
        int leading = position;
        int trailing = position;
        const qreal one = line.cursorToX(&leading, QTextLine::Leading);
        const qreal other = line.cursorToX(&trailing, QTextLine::Trailing);
        if (qFuzzyCompare(one, other))
            continue; // draws nothing
        span.left = std::min({span.left, one, other});
        span.right = std::max({span.right, one, other});
    }
    return span;
}

// A character that takes no room on the line, as the isolate marks must.
bool drawsNothing(const QTextBlock &block, int position)
{
    return spanOf(block, position, position + 1).isEmpty();
}

// The row's first block laid out on a line wide enough for all of it.
QTextBlock laidOut(RowDocuments &documents, const QString &html)
{
    documents.setStyle(PageHead::styleSheet());
    documents.setWidth(4000);
    TranscriptDocument *row = documents.layout(0, html);
    row->size(); // lays it out
    return row->begin();
}

} // namespace

class tst_RowDirection : public QObject
{
    Q_OBJECT
private slots:
    // A row reads "[stamp] name: text" from left to right, whatever the name and the text hold: no
    // part is drawn inside or on the far side of another.
    void partsStayInTheirPlaces_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        const QString hebrew = QStringLiteral("\u05E9\u05DC\u05D5\u05DD");
        const QString arabic = QStringLiteral("\u0645\u0631\u062D\u0628\u0627");
        for (const QString kind : {"chat", "pm"}) {
            const auto row = [&kind](const char *name) -> QTestData & {
                return QTest::newRow(qPrintable(kind + QStringLiteral(", ") + QLatin1String(name))) << kind;
            };
            row("plain") << "bob" << "hello there";
            row("Hebrew name") << hebrew << "hello there";
            row("Hebrew name and text") << hebrew << hebrew + " " + hebrew;
            row("Arabic text with digits after a Hebrew name") << hebrew << arabic + " 123 \u0664\u0665\u0666 " + arabic;
            row("Arabic digits on both sides") << "\u0661\u0662" << "\u0663\u0664 text";
            row("override in the name") << "b\u202Eob" << "hello there";
            row("right-to-left embedding in the name") << "b\u202Bob" << "hello there";
            row("left-to-right embedding around a Hebrew name") << "\u202A" + hebrew << hebrew;
            row("isolate without its end in the name") << "b\u2067ob" << "hello there";
            row("isolate end in the name") << "b\u2069ob\u2068" << hebrew;
            row("override in the text") << hebrew << "he\u202Ello";
            row("Hebrew text") << "bob" << hebrew + " 42";
        }
        QTest::newRow("chat, override as a character reference") << "chat" << "\u05D0" << "a&#x202E;bc &#8238 d";
        QTest::newRow("chat, Hebrew as character references") << "chat" << "\u05D0" << "&#1488;&#1489; x";
    }
    void partsStayInTheirPlaces()
    {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(QString, text);
        const QString html = kind == QLatin1String("chat")
                                 ? TranscriptRows::chatRow(stamp, name, MessageMarkup::ConvertMarkup(text))
                                 : TranscriptRows::pmRow(stamp, name, text);
        RowDocuments documents;
        const QTextBlock block = laidOut(documents, html);
        QCOMPARE(block.layout()->lineCount(), 1);

        // Neither name nor text holds ":", so the first one after the stamp ends the name.
        const QString shown = block.text();
        const int stampEnd = int(stamp.size()) + 2;
        const int separator = int(shown.indexOf(u':', stampEnd));
        QVERIFY(separator > stampEnd);
        const Span stampSpan = spanOf(block, 0, stampEnd);
        const Span nameSpan = spanOf(block, stampEnd + 1, separator);
        const Span separatorSpan = spanOf(block, separator, separator + 1);
        const Span textSpan = spanOf(block, separator + 2, int(shown.size()));
        QVERIFY(qAbs(stampSpan.left) < 0.5);
        QVERIFY2(stampSpan.right <= nameSpan.left + 0.5, "the name starts after the stamp");
        QVERIFY2(nameSpan.right <= separatorSpan.left + 0.5, "the name ends before its colon");
        QVERIFY2(separatorSpan.right <= textSpan.left + 0.5, "the text starts after the colon");

        // No bidirectional control of the user's acts: each shows as U+FFFD, and only the row's own
        // isolate marks are left, drawing nothing.
        for (int position = 0; position < shown.size(); ++position) {
            const QChar c = shown.at(position);
            const bool isolateMark = c == QChar(0x2068) || c == QChar(0x2069);
            QVERIFY2(!isolateMark || drawsNothing(block, position), "an isolate mark is drawn");
            if (isolateMark)
                continue;
            const QChar::Direction direction = c.direction();
            QVERIFY2(direction != QChar::DirLRE && direction != QChar::DirRLE && direction != QChar::DirLRO
                         && direction != QChar::DirRLO && direction != QChar::DirPDF && direction != QChar::DirLRI
                         && direction != QChar::DirRLI && direction != QChar::DirFSI && direction != QChar::DirPDI,
                     qPrintable(QStringLiteral("control at %1").arg(position)));
        }
        const bool hadControls = std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.category() == QChar::Other_Format; })
                                 || std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.category() == QChar::Other_Format; })
                                 || text.contains(QStringLiteral("202E")) || text.contains(QStringLiteral("8238"));
        QCOMPARE(shown.contains(QChar::ReplacementCharacter), hadControls);
    }

    // Each user's run is laid out alone: what one name holds never reaches into the system row that
    // names it, nor into the words around it.
    void namesInSystemRowsStayInTheirPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("Hebrew") << QStringLiteral("\u05E9\u05DC\u05D5\u05DD");
        QTest::newRow("override") << QStringLiteral("x\u202Ey");
        QTest::newRow("isolate without its end") << QStringLiteral("x\u2067y");
    }
    void namesInSystemRowsStayInTheirPlaces()
    {
        QFETCH(QString, name);
        RowDocuments documents;
        const QTextBlock block = laidOut(documents, TranscriptRows::joinedRow(stamp, name));
        QCOMPARE(block.layout()->lineCount(), 1);
        const QString shown = block.text();
        const int words = int(shown.indexOf(QStringLiteral(" has joined")));
        const int nameStart = int(shown.indexOf(QStringLiteral("Server: "))) + 8;
        QVERIFY(words > nameStart);
        QVERIFY(qAbs(spanOf(block, 0, nameStart).left) < 0.5);
        QVERIFY(spanOf(block, 0, nameStart).right <= spanOf(block, nameStart, words).left + 0.5);
        QVERIFY(spanOf(block, nameStart, words).right <= spanOf(block, words, int(shown.size())).left + 0.5);
    }
};

QTEST_MAIN(tst_RowDirection)
#include "tst_rowdirection.moc"
