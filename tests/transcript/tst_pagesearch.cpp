#include "transcript/MessageMarkup.h"
#include "transcript/PageSearch.h"
#include "transcript/TranscriptPage.h"
#include "transcript/TranscriptRows.h"

#include <QTest>

using Match = PageSearch::Match;
Q_DECLARE_METATYPE(Match)

namespace QTest {
template <>
char *toString(const Match &match)
{
    return qstrdup(QByteArray::number(match.row) + ':' + QByteArray::number(match.occurrence));
}
} // namespace QTest

// Finding text in a fixed page: which rows match, in which order the matches are walked, case,
// the rows written later, and that typing on (which reads fewer rows) finds what a fresh search does.
class tst_PageSearch : public QObject
{
    Q_OBJECT

    TranscriptPage page;

    // Rows 24 to 30 after the head (fragments 0 to 23).
    static constexpr int firstRow = 24;

    static QString chat(const QString &user, const QString &text)
    {
        return TranscriptRows::chatRow(QStringLiteral("10:00:00"), user, MessageMarkup::ConvertMarkup(text));
    }

    static QList<Match> walkAll(PageSearch &search)
    {
        QList<Match> matches;
        for (int i = 0; i < search.count(); ++i) {
            matches.append(*search.current());
            search.next();
        }
        return matches;
    }

private slots:
    void initTestCase()
    {
        page.writeHead();
        page.write(chat(QStringLiteral("anna"), QStringLiteral("Hello there, hello again")));   // 24
        page.write(chat(QStringLiteral("bob"), QStringLiteral("[B]bold[/B] HELLO :)")));        // 25
        page.write(TranscriptRows::joinedRow(QStringLiteral("10:00:01"), QStringLiteral("<Cyril>"))); // 26
        page.write(chat(QStringLiteral("anna"), QStringLiteral("5 < 6 & nothing else")));        // 27
        page.write(TranscriptRows::pmRow(QStringLiteral("10:00:02"), QStringLiteral("dan"), QStringLiteral("Žluťoučký kůň"))); // 28
        page.write(chat(QStringLiteral("eve"), QStringLiteral("aaaa")));                          // 29
        page.write(chat(QStringLiteral("eve"), QStringLiteral("hello")));                         // 30
    }

    void finds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<QList<Match>>("matches");
        const auto at = [](int row, int occurrence) { return Match{firstRow + row, occurrence}; };
        QTest::newRow("every case") << "hello" << false
                                    << QList<Match>{at(0, 0), at(0, 1), at(1, 0), at(6, 0)};
        QTest::newRow("case asked for") << "hello" << true << QList<Match>{at(0, 0), at(6, 0)};
        QTest::newRow("capitals asked for") << "HELLO" << true << QList<Match>{at(1, 0)};
        QTest::newRow("the shown text, not the markup") << "bold hello" << false << QList<Match>{at(1, 0)};
        QTest::newRow("no tag is text") << "<b>" << false << QList<Match>{};
        QTest::newRow("entities as shown") << "5 < 6 &" << false << QList<Match>{at(3, 0)};
        QTest::newRow("escaped user names") << "<cyril> has joined" << false << QList<Match>{at(2, 0)};
        QTest::newRow("letters beyond ASCII, any case") << "ŽLUŤOUČKÝ" << false << QList<Match>{at(4, 0)};
        QTest::newRow("letters beyond ASCII, case asked for") << "ŽLUŤOUČKÝ" << true << QList<Match>{};
        QTest::newRow("matches do not overlap") << "aa" << false << QList<Match>{at(5, 0), at(5, 1)};
        QTest::newRow("the head is no row") << "font-size" << false << QList<Match>{};
        QTest::newRow("found nowhere") << "quartz" << false << QList<Match>{};
        QTest::newRow("empty text") << "" << false << QList<Match>{};
    }

    // Walked from the first row on, the matches come in page order, and Next goes round.
    void finds()
    {
        QFETCH(QString, text);
        QFETCH(bool, matchCase);
        QFETCH(QList<Match>, matches);
        PageSearch search;
        search.find(page, text, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive, 0);
        QCOMPARE(search.count(), matches.size());
        QCOMPARE(walkAll(search), matches);
        if (!matches.isEmpty())
            QCOMPARE(*search.current(), matches.first());
        else
            QVERIFY(!search.current());
    }

    void startsNearTheAnchor_data()
    {
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("number");
        QTest::newRow("before every match") << 0 << 1;
        QTest::newRow("on a matching row") << firstRow + 1 << 3;
        QTest::newRow("between matching rows") << firstRow + 2 << 4;
        QTest::newRow("after the last match: the newest") << firstRow + 7 << 4;
    }

    void startsNearTheAnchor()
    {
        QFETCH(int, anchor);
        QFETCH(int, number);
        PageSearch search;
        search.find(page, QStringLiteral("hello"), Qt::CaseInsensitive, anchor);
        QCOMPARE(search.currentNumber(), number);
    }

    void walksRoundBothWays()
    {
        PageSearch search;
        search.find(page, QStringLiteral("hello"), Qt::CaseInsensitive, 0);
        search.previous();
        QCOMPARE(search.currentNumber(), 4);
        QCOMPARE(*search.current(), (Match{firstRow + 6, 0}));
        search.next();
        QCOMPARE(search.currentNumber(), 1);
        search.next();
        QCOMPARE(*search.current(), (Match{firstRow, 1}));
        QCOMPARE(search.countIn(firstRow), 2);
        QCOMPARE(search.countIn(firstRow + 2), 0);
    }

    // Typing on reads only the rows the shorter text matched; it must find what a fresh search finds,
    // also when the case changes on the way and when rows come in between.
    void typingOnFindsWhatAFreshSearchFinds_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QList<bool>>("matchCase");
        QTest::newRow("letter by letter") << QStringList{"h", "he", "hel", "hell", "hello"} << QList<bool>{false, false, false, false, false};
        QTest::newRow("case asked for on the way") << QStringList{"hel", "Hel", "Hello"} << QList<bool>{false, true, true};
        QTest::newRow("case given up on the way") << QStringList{"Hel", "Hell"} << QList<bool>{true, false};
        QTest::newRow("typed before the text") << QStringList{"ello", "hello", "HELLO"} << QList<bool>{false, false, true};
        QTest::newRow("deleted back") << QStringList{"hello", "hell", "he"} << QList<bool>{false, false, false};
        QTest::newRow("replaced") << QStringList{"bold", "aaaa", "a"} << QList<bool>{false, false, false};
        QTest::newRow("back and on again") << QStringList{"hel", "hell", "hel", "helo", "hel", "hello"} << QList<bool>{false, false, false, false, false, false};
        QTest::newRow("back with the case changed") << QStringList{"hel", "Hell", "hel", "Hel"} << QList<bool>{false, true, true, false};
    }

    void typingOnFindsWhatAFreshSearchFinds()
    {
        QFETCH(QStringList, typed);
        QFETCH(QList<bool>, matchCase);
        TranscriptPage growing;
        growing.writeHead();
        growing.write(chat(QStringLiteral("anna"), QStringLiteral("Hello there, hello again")));
        PageSearch typing;
        for (qsizetype i = 0; i < typed.size(); ++i) {
            const Qt::CaseSensitivity sensitivity = matchCase.at(i) ? Qt::CaseSensitive : Qt::CaseInsensitive;
            growing.write(chat(QStringLiteral("bob"), QStringLiteral("hello HELLO aaaa bold %1").arg(i)));
            typing.find(growing, typed.at(i), sensitivity, 0);
            PageSearch fresh;
            fresh.find(growing, typed.at(i), sensitivity, 0);
            QCOMPARE(walkAll(typing), walkAll(fresh));
        }
    }

    // Searches kept from before the page was emptied are no guide to the rows written after it.
    void clearedPageIsSearchedAfresh()
    {
        TranscriptPage growing;
        growing.writeHead();
        growing.write(chat(QStringLiteral("anna"), QStringLiteral("hello")));
        PageSearch search;
        search.find(growing, QStringLiteral("hel"), Qt::CaseInsensitive, 0);
        search.find(growing, QStringLiteral("hell"), Qt::CaseInsensitive, 0);
        growing.clear();
        search.pageCleared(growing);
        QVERIFY(search.isActive());
        QCOMPARE(search.count(), 0);
        growing.writeHead();
        growing.write(chat(QStringLiteral("bob"), QStringLiteral("nothing")));
        for (int i = 0; i < 3; ++i)
            growing.write(chat(QStringLiteral("bob"), QStringLiteral("help %1").arg(i)));
        search.find(growing, QStringLiteral("hel"), Qt::CaseInsensitive, 0);
        QCOMPARE(search.count(), 3);
    }

    // Rows written during a search are found as they come, behind the matches already there.
    void findsRowsWrittenLater()
    {
        TranscriptPage growing;
        growing.writeHead();
        growing.write(chat(QStringLiteral("anna"), QStringLiteral("one hello")));
        PageSearch search;
        search.find(growing, QStringLiteral("hello"), Qt::CaseInsensitive, 0);
        QVERIFY(!search.readNewRows(growing));
        growing.write(chat(QStringLiteral("bob"), QStringLiteral("nothing")));
        QVERIFY(!search.readNewRows(growing));
        growing.write(chat(QStringLiteral("bob"), QStringLiteral("hello, hello")));
        QVERIFY(search.readNewRows(growing));
        QCOMPARE(search.count(), 3);
        QCOMPARE(search.currentNumber(), 1);
        search.previous();
        QCOMPARE(*search.current(), (Match{firstRow + 2, 1}));
    }

    // The longest text the bar takes, in a row as long as a block: linear work, no hang.
    void longTextInALongRow()
    {
        TranscriptPage big;
        big.writeHead();
        big.write(chat(QStringLiteral("eve"), QString(64 * 1024, u'a')));
        PageSearch search;
        search.find(big, QString(255, u'a') + u'b', Qt::CaseInsensitive, 0);
        QCOMPARE(search.count(), 0);
        search.find(big, QString(256, u'A'), Qt::CaseInsensitive, 0);
        QCOMPARE(search.count(), 64 * 1024 / 256);
    }
};

QTEST_MAIN(tst_PageSearch)
#include "tst_pagesearch.moc"
