#include "app/AppDir.h"
#include "transcript/MessageMarkup.h"
#include "transcript/PageExport.h"
#include "transcript/TranscriptPage.h"
#include "transcript/TranscriptRows.h"

#include <QRegularExpression>
#include <QTest>
#include <QTextDocument>

// The conversation written out as a web page and as text: read back, they hold what the page
// shows; rows from the server and from other users carry nothing live into the file.
class tst_PageExport : public QObject
{
    Q_OBJECT

    static QString stamp() { return QStringLiteral("10:00:00"); }

    static TranscriptPage pageOf(const QStringList &rows)
    {
        TranscriptPage page;
        page.writeHead();
        for (const QString &row : rows)
            page.write(row);
        return page;
    }

    // The saved web page as a browser would show its text.
    static QString shownText(const QByteArray &html)
    {
        QTextDocument document;
        document.setHtml(QString::fromUtf8(html));
        return document.toPlainText().replace(QChar::Nbsp, u' ');
    }

private slots:
    void initTestCase() { setApplicationDirectory(QStringLiteral("/opt/korvani")); }
    void cleanupTestCase() { setApplicationDirectory(QString()); }

    void plainTextReadsBack()
    {
        const TranscriptPage page = pageOf({
            TranscriptRows::chatRow(stamp(), QStringLiteral("anna"), MessageMarkup::ConvertMarkup(QStringLiteral("[B]hi[/B] :) 5 < 6"))),
            TranscriptRows::pmRow(stamp(), QStringLiteral("bob"), QStringLiteral("Žluťoučký kůň")),
            TranscriptRows::serverWelcomeRow(QStringLiteral("Main")),
        });
        QCOMPARE(QString::fromUtf8(PageExport::plainText(page)),
                 QStringLiteral("[10:00:00] anna: hi  5 < 6\n[10:00:00] bob: Žluťoučký kůň\nWelcome to Main Server\n"));
        QCOMPARE(PageExport::plainText(pageOf({})), QByteArray());
    }

    // The saved page is UTF-8 with the page's styles, and shows the rows' text.
    void htmlReadsBack()
    {
        const TranscriptPage page = pageOf({
            TranscriptRows::chatRow(stamp(), QStringLiteral("anna"), MessageMarkup::ConvertMarkup(QStringLiteral("[B]bold[/B] and [URL]www.example.com[/URL]site[URL/] :)"))),
            TranscriptRows::pmRow(stamp(), QStringLiteral("bob"), QStringLiteral("Žluťoučký kůň")),
            TranscriptRows::joinedRow(stamp(), QStringLiteral("cyril")),
        });
        const QByteArray html = PageExport::html(page);
        QVERIFY(html.startsWith("<!DOCTYPE html>"));
        QVERIFY(html.contains("<meta charset=\"utf-8\">"));
        QVERIFY(html.contains(".system {"));
        QVERIFY(html.contains("<td class=\"message\">[10:00:00] anna: <b>bold</b>"));
        QVERIFY(html.contains("<a href=\"http://www.example.com\">site</a>"));
        QVERIFY(html.contains("<img src=\"file:///opt/korvani/smile/smile.gif\">"));
        QCOMPARE(shownText(html).split(u'\n', Qt::SkipEmptyParts),
                 (QStringList{"[10:00:00] anna: bold and site \uFFFC", "[10:00:00] bob: Žluťoučký kůň",
                              "[10:00:00] Server: cyril has joined to Chat!!!"}));
    }

    void hostileRowsCarryNothingLive_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("shown");
        QTest::newRow("user name") << TranscriptRows::chatRow(stamp(), QStringLiteral("<script>alert(1)</script>"), QStringLiteral("hi"))
                                   << "[10:00:00] <script>alert(1)</script>: hi";
        QTest::newRow("message text") << TranscriptRows::chatRow(stamp(), QStringLiteral("eve"), MessageMarkup::ConvertMarkup(QStringLiteral("\"><img src=x onerror=alert(1)>")))
                                      << "[10:00:00] eve: \"><img src=x onerror=alert(1)>";
        QTest::newRow("link") << TranscriptRows::chatRow(stamp(), QStringLiteral("eve"), MessageMarkup::ConvertMarkup(QStringLiteral("[URL]javascript:alert(1)[/URL]click[URL/]")))
                              << "[10:00:00] eve: click";
        QTest::newRow("private text") << TranscriptRows::pmRow(stamp(), QStringLiteral("eve"), QStringLiteral("<iframe src='http://evil.example/'>"))
                                      << "[10:00:00] eve: <iframe src='http://evil.example/'>";
        QTest::newRow("server's script") << TranscriptRows::messageOfDayRow(QStringLiteral("<script>fetch('http://evil.example/')</script>news"))
                                         << "Message of Day: news";
        QTest::newRow("server's handlers and addresses")
            << TranscriptRows::messageOfDayRow(QStringLiteral("<a href='javascript:alert(1)' onclick='alert(2)'>a</a>"
                                                              "<img src='http://evil.example/t.gif' onerror='alert(3)'>"
                                                              "<b style='background:url(http://evil.example/)'>b</b>"
                                                              "<iframe src='http://evil.example/'></iframe><object data='x'></object>"))
            << "Message of Day: ab";
    }

    // No tag of the file is a script, frame or object, or carries a handler, a style or a network
    // address; the text shown stays, escaped.
    void hostileRowsCarryNothingLive()
    {
        QFETCH(QString, row);
        QFETCH(QString, shown);
        const QByteArray html = PageExport::html(pageOf({row}));
        const QString body = QString::fromUtf8(html.mid(html.indexOf("<body>")));
        static const QRegularExpression live(QStringLiteral("<(script|iframe|object|embed|meta|link|style)|\\son\\w+\\s*=|"
                                                            "javascript:|style\\s*=|=\"https?://evil"),
                                             QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
        for (const QRegularExpressionMatch &found : tag.globalMatch(body))
            QVERIFY2(!found.captured().contains(live), qPrintable(body));
        QCOMPARE(shownText(html).trimmed(), shown);
    }

    // A tag a row leaves open ends with it, as on screen, and a closing tag of nothing is dropped.
    void rowsStayApart()
    {
        const QByteArray html = PageExport::html(pageOf({TranscriptRows::messageOfDayRow(QStringLiteral("<b><i>open")),
                                                         QStringLiteral("</u></td>plain")}));
        QVERIFY2(html.contains("<b><i>open</i></b></td></tr></table><hr>\nplain\n"), html.constData());
    }
};

QTEST_MAIN(tst_PageExport)
#include "tst_pageexport.moc"
