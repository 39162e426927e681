#include "app/AppDir.h"
#include "transcript/MessageMarkup.h"

#include <QTest>

namespace {

const QString directory = QStringLiteral("/opt/korvani");

QString image(const QString &fileName, const QString &inDirectory = directory)
{
    return QStringLiteral("<img src='") + inDirectory + QStringLiteral("/smile/") + fileName + QStringLiteral("' />");
}

} // namespace

class tst_MessageMarkup : public QObject
{
    Q_OBJECT
private slots:
    void init() { setApplicationDirectory(directory); }
    void cleanupTestCase() { setApplicationDirectory(QString()); }

    void convertsEachCode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("html");
        QTest::newRow("1 less-than") << "<" << "&lt;";
        QTest::newRow("2 greater-than") << ">" << "&gt;";
        QTest::newRow("3 smile") << ":)" << image("smile.gif");
        QTest::newRow("4 big grin") << ":D" << image("biggrin.gif");
        QTest::newRow("5 confused S") << ":S" << image("confusedS.gif");
        QTest::newRow("6 confused 2") << "::/:" << image("confused2.gif");
        QTest::newRow("7 disgust") << ":-(" << image("disgust.gif");
        QTest::newRow("8 yes") << ":yes:" << image("yes.gif");
        QTest::newRow("9 no") << ":no:" << image("no.gif");
        QTest::newRow("10 sun") << ":sun:" << image("sun.gif");
        QTest::newRow("11 lol") << "lol" << image("lol.gif");
        QTest::newRow("12 unsure") << ":unsure:" << image("unsure.gif");
        QTest::newRow("13 idea") << ":idea:" << image("idea.gif");
        QTest::newRow("14 brow") << ":brow:" << image("brow.gif");
        QTest::newRow("15 crazy") << ":crazy:" << image("crazy.gif");
        QTest::newRow("16 exclamation") << "!!" << image("excl.gif");
        QTest::newRow("17 question") << "??" << image("question.gif");
        QTest::newRow("18 bye") << ":bye:" << image("bye2.gif");
        QTest::newRow("19 cool") << ":cool:" << image("cool.gif");
        QTest::newRow("20 cry") << "cry" << image("cry.gif");
        QTest::newRow("21 bold") << "[B]" << "<b>";
        QTest::newRow("22 bold end") << "[/B]" << "</b>";
        QTest::newRow("23 italic") << "[I]" << "<i>";
        QTest::newRow("24 italic end") << "[/I]" << "</i>";
        QTest::newRow("25 underline") << "[U]" << "<u>";
        QTest::newRow("26 underline end") << "[/U]" << "</u>";
        QTest::newRow("27 rule") << "[HR]" << "<hr>";
        QTest::newRow("28, 29 link start") << "[URL]a[/URL]" << "<a href=a>";
        QTest::newRow("29 link address end alone") << "[/URL]" << ">";
        QTest::newRow("30 link end") << "[URL/]" << "</a>";
    }
    void convertsEachCode()
    {
        QFETCH(QString, text);
        QFETCH(QString, html);
        QCOMPARE(MessageMarkup::ConvertMarkup(text), html);
    }

    void followsTheOrderOfTheSteps_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("html");
        QTest::newRow("empty text") << "" << "";
        QTest::newRow("word, blank, smiley") << "hi :)" << "hi " + image("smile.gif");
        QTest::newRow("typed tags are escaped first") << "<b>x</b>" << "&lt;b&gt;x&lt;/b&gt;";
        QTest::newRow("escaped text inside markup") << "[B]<i>[/B]" << "<b>&lt;i&gt;</b>";
        QTest::newRow("smiley after a typed bracket") << ">:)" << "&gt;" + image("smile.gif");
        QTest::newRow("lol inside a word") << "lollipop" << image("lol.gif") + "lipop";
        QTest::newRow("cry inside a word") << "crystal" << image("cry.gif") + "stal";
        QTest::newRow("three exclamation marks") << "!!!" << image("excl.gif") + "!";
        QTest::newRow("four exclamation marks") << "!!!!" << image("excl.gif") + image("excl.gif");
        QTest::newRow("three question marks") << "???" << image("question.gif") + "?";
        QTest::newRow("the picker's crying face") << ":cry:" << ":" + image("cry.gif") + ":";
        QTest::newRow("colon before a smile") << "::)" << ":" + image("smile.gif");
        QTest::newRow("link") << "[URL]a[/URL]b[URL/]" << "<a href=a>b</a>";
        QTest::newRow("bold left open") << "[B]open" << "<b>open";
        QTest::newRow("ampersand untouched") << "&amp; &lt; & x" << "&amp; &lt; & x";
        QTest::newRow("lower-case tags untouched") << "[b]x[/b] [url]y[/url]" << "[b]x[/b] [url]y[/url]";
        QTest::newRow("upper-case word codes untouched") << "LOL Cry :d :s" << "LOL Cry :d :s";
    }
    void followsTheOrderOfTheSteps()
    {
        QFETCH(QString, text);
        QFETCH(QString, html);
        QCOMPARE(MessageMarkup::ConvertMarkup(text), html);
    }

    // Whatever is typed as an address stays inside the href: it can add no attribute or style.
    void linkAddressesStayAddresses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("html");
        QTest::newRow("plain address as typed") << "[URL]http://www.example.com/a?b[/URL]go[URL/]"
                                                << "<a href=http://www.example.com/a?b>go</a>";
        QTest::newRow("query with equals sign")
            << "[URL]example.com/?a=1&b=2[/URL]q[URL/]" << "<a href='example.com/?a=1&b=2'>q</a>";
        QTest::newRow("trailing slash") << "[URL]example.com/[/URL]s[URL/]" << "<a href='example.com/'>s</a>";
        QTest::newRow("blank and style")
            << "[URL]x style=color:red[/URL]fake[URL/]" << "<a href='x style=color:red'>fake</a>";
        QTest::newRow("quotes") << "[URL]x' style='color:red\" a=\"[/URL]q[URL/]"
                                << "<a href='x&#39; style=&#39;color:red&quot; a=&quot;'>q</a>";
        QTest::newRow("typed brackets") << "[URL]<x>[/URL]b[URL/]" << "<a href=&lt;x&gt;>b</a>";
        QTest::newRow("empty address") << "[URL][/URL]e[URL/]" << "<a href=''>e</a>";
        QTest::newRow("start with no address end stays typed") << "[URL]x y" << "[URL]x y";
        QTest::newRow("address end outside a link")
            << "a[/URL]b [URL]c[/URL]d[URL/] e[/URL]" << "a>b <a href=c>d</a> e>";
        QTest::newRow("two links") << "[URL]a[/URL]1[URL/][URL]b c[/URL]2[URL/]"
                                   << "<a href=a>1</a><a href='b c'>2</a>";
    }
    void linkAddressesStayAddresses()
    {
        QFETCH(QString, text);
        QFETCH(QString, html);
        QCOMPARE(MessageMarkup::ConvertMarkup(text), html);
    }

    // An address holding a smiley code or a tag opens what was typed, and the program's folder never
    // reaches it; the label around is converted.
    void linkAddressesAreTakenAsTyped_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("html");
        QTest::newRow("cry") << "[URL]http://example.com/encryption[/URL]label[URL/]"
                             << "<a href=http://example.com/encryption>label</a>";
        QTest::newRow("lol, trailing slash")
            << "[URL]www.lol.com/[/URL]x[URL/]" << "<a href='www.lol.com/'>x</a>";
        QTest::newRow("question marks") << "[URL]example.com/?q=a??b[/URL]x[URL/]" << "<a href='example.com/?q=a??b'>x</a>";
        QTest::newRow("exclamation marks") << "[URL]example.com/wow!![/URL]x[URL/]" << "<a href=example.com/wow!!>x</a>";
        QTest::newRow("big grin") << "[URL]example.com/:D[/URL]x[URL/]" << "<a href=example.com/:D>x</a>";
        QTest::newRow("every smiley code")
            << "[URL]x:):D:S::/::-(:yes::no::sun:lol:unsure::idea::brow::crazy:!!??:bye::cool:cry[/URL]x[URL/]"
            << "<a href=x:):D:S::/::-(:yes::no::sun:lol:unsure::idea::brow::crazy:!!??:bye::cool:cry>x</a>";
        QTest::newRow("tags") << "[URL]x.org/[B]a[/B][I][/I][U][/U][HR]b[/URL]x[URL/]"
                              << "<a href=x.org/[B]a[/B][I][/I][U][/U][HR]b>x</a>";
        QTest::newRow("link end inside")
            << "[URL]http://example.com/[URL/]style=color:red[/URL]label[URL/]"
            << "<a href='http://example.com/[URL/]style=color:red'>label</a>";
        QTest::newRow("typed brackets around a code")
            << "[URL]x.org/<lol>[/URL]x[URL/]" << "<a href=x.org/&lt;lol&gt;>x</a>";
        QTest::newRow("label converted")
            << "[URL]cry.example[/URL][B]cry[/B] :)[URL/]" << "<a href=cry.example><b>" + image("cry.gif") + "</b> " + image("smile.gif") + "</a>";
        QTest::newRow("codes around the link")
            << "lol [URL]lol.org[/URL]lol[URL/] lol" << image("lol.gif") + " <a href=lol.org>" + image("lol.gif") + "</a> " + image("lol.gif");
        // Only the first limit's worth of codes is converted: a code inside an address takes no share.
        QTest::newRow("codes in addresses take none of the limit")
            << QStringLiteral("[URL]lol.org[/URL]:)[URL/]").repeated(100)
            << ("<a href=lol.org>" + image("smile.gif") + "</a>").repeated(100);
        QTest::newRow("link beyond the limit")
            << QStringLiteral(":)").repeated(MessageMarkup::pictureAndTagLimit) + "[URL]:)lol[/URL]x[URL/]"
            << image("smile.gif").repeated(MessageMarkup::pictureAndTagLimit) + "[URL]:)lol>x[URL/]";
    }
    void linkAddressesAreTakenAsTyped()
    {
        QFETCH(QString, text);
        QFETCH(QString, html);
        QCOMPARE(MessageMarkup::ConvertMarkup(text), html);
    }

    // Rows whose addresses hold no code, as they were converted before addresses were taken as
    // typed.
    void linkRowsWithoutCodesInTheAddressStayAsTheyWere_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("html");
        const QString smile = image("smile.gif");
        QTest::newRow("codes in the label") << "say [URL]http://example.com/a?b[/URL][B]hi[/B] :) lol[URL/]!!"
                                           << "say <a href=http://example.com/a?b><b>hi</b> " + smile + " "
                + image("lol.gif") + "</a>" + image("excl.gif");
        QTest::newRow("quote") << "[URL]http://example.com/Ender's_Game[/URL]Ender's Game[URL/]"
                               << "<a href='http://example.com/Ender&#39;s_Game'>Ender's Game</a>";
        QTest::newRow("entities and blank") << "[URL]a.com/?x&amp;y&z&#65; b[/URL]b[URL/]"
                                            << "<a href='a.com/?x&amp;y&z&#65; b'>b</a>";
        QTest::newRow("percent") << "[URL]a.com/%20b[/URL]b[URL/]" << "<a href=a.com/%20b>b</a>";
        QTest::newRow("mail") << "[URL]mailto:a@b.example?subject=hi there[/URL]mail me :D[URL/]"
                              << "<a href='mailto:a@b.example?subject=hi there'>mail me " + image("biggrin.gif") + "</a>";
        QTest::newRow("start inside an address") << "[URL]a[URL]b[/URL]c[URL/]" << "<a href=a[URL]b>c</a>";
        QTest::newRow("address ends around") << "[/URL] [URL]a[/URL] [/URL]:) [URL]b"
                                             << "> <a href=a> >" + smile + " [URL]b";
        QTest::newRow("links side by side")
            << "[URL]a[/URL][URL]b[/URL]c[URL/][URL/]" << "<a href=a><a href=b>c</a></a>";
        QTest::newRow("links share the limit with smileys")
            << QStringLiteral("[URL]a[/URL]:)[URL/]").repeated(200)
            << ("<a href=a>" + smile + "[URL/]").repeated(100) + ("[URL]a>" + smile + "[URL/]").repeated(100);
        QTest::newRow("tags before links")
            << QStringLiteral("[B]x").repeated(299) + QStringLiteral("[URL]a[/URL]b[URL/]").repeated(2)
            << QStringLiteral("<b>x").repeated(299) + "<a href=a>b[URL/][URL]a>b[URL/]";
    }
    void linkRowsWithoutCodesInTheAddressStayAsTheyWere()
    {
        QFETCH(QString, text);
        QFETCH(QString, html);
        QCOMPARE(MessageMarkup::ConvertMarkup(text), html);
    }

    // Beyond the limit, codes stay as typed: the first ones by the order of the steps are converted.
    void convertsAtMostTheLimit_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("converted");
        QTest::addColumn<QString>("beyond"); // what a unit beyond the limit stays as
        QTest::newRow("smileys") << ":)" << image("smile.gif") << ":)";
        QTest::newRow("bold tags") << "[B]x" << "<b>x" << "[B]x";
        QTest::newRow("lol") << "lol" << image("lol.gif") << "lol";
        QTest::newRow("links") << "[URL]a[/URL]b" << "<a href=a>b" << "[URL]a>b";
    }
    void convertsAtMostTheLimit()
    {
        QFETCH(QString, unit);
        QFETCH(QString, converted);
        QFETCH(QString, beyond);
        const int limit = MessageMarkup::pictureAndTagLimit;
        QCOMPARE(MessageMarkup::ConvertMarkup(unit.repeated(limit)), converted.repeated(limit));
        QCOMPARE(MessageMarkup::ConvertMarkup(unit.repeated(20000)),
                 converted.repeated(limit) + beyond.repeated(20000 - limit));
        // Escaping has no limit.
        QCOMPARE(MessageMarkup::ConvertMarkup(QString(20000, u'<')), QStringLiteral("&lt;").repeated(20000));
        // The budget is shared, in the order of the steps: smileys first, then tags.
        QCOMPARE(MessageMarkup::ConvertMarkup("[B]" + QStringLiteral(":)").repeated(limit)),
                 "[B]" + image("smile.gif").repeated(limit));
    }

    // A later step also searches what earlier steps inserted: only the application directory can hold
    // a code, and then an image tag lands inside another one's path.
    void applicationDirectoryHoldingACode_data()
    {
        QTest::addColumn<QString>("applicationDirectory");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("html");
        const QString lolDirectory = QStringLiteral("/srv/lolcat");
        QTest::newRow("lol, smile") << lolDirectory << ":)"
                                    << "<img src='/srv/" + image("lol.gif", lolDirectory) + "cat/smile/smile.gif' />";
        QTest::newRow("lol, typed lol") << lolDirectory << "lol" << image("lol.gif", lolDirectory);
        const QString cryDirectory = QStringLiteral("/home/crystal");
        QTest::newRow("cry, cool") << cryDirectory << ":cool:"
                                   << "<img src='/home/" + image("cry.gif", cryDirectory) + "stal/smile/cool.gif' />";
    }
    void applicationDirectoryHoldingACode()
    {
        QFETCH(QString, applicationDirectory);
        QFETCH(QString, text);
        QFETCH(QString, html);
        setApplicationDirectory(applicationDirectory);
        QCOMPARE(MessageMarkup::ConvertMarkup(text), html);
    }
};

QTEST_GUILESS_MAIN(tst_MessageMarkup)
#include "tst_messagemarkup.moc"
