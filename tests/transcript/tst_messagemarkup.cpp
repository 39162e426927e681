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
        QTest::newRow("28 link") << "[URL]" << "<a href=";
        QTest::newRow("29 link address end") << "[/URL]" << ">";
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
        QTest::newRow("link address broken by a smiley")
            << "[URL]www.lol.com[/URL]x[URL/]" << "<a href=www." + image("lol.gif") + ".com>x</a>";
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
