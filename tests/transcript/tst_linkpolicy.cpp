#include "transcript/LinkPolicy.h"

#include <QTest>

class tst_LinkPolicy : public QObject
{
    Q_OBJECT
private slots:
    void decidesWhatOpens_data()
    {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QString>("opened"); // empty: nothing opens
        QTest::newRow("http") << "http://example.com/a?b=c" << "http://example.com/a?b=c";
        QTest::newRow("https") << "https://example.com" << "https://example.com";
        QTest::newRow("ftp") << "ftp://ftp.example.com/file.zip" << "ftp://ftp.example.com/file.zip";
        QTest::newRow("mailto") << "mailto:bob@example.com" << "mailto:bob@example.com";
        QTest::newRow("scheme in capitals") << "HTTP://Example.com/" << "http://example.com/";
        QTest::newRow("blanks around") << "  https://example.com  " << "https://example.com";
        QTest::newRow("no scheme") << "www.example.com" << "http://www.example.com";
        QTest::newRow("no scheme, path") << "example.com/news" << "http://example.com/news";
        QTest::newRow("no scheme, port") << "localhost:8080/x" << "http://localhost:8080/x";
        QTest::newRow("no scheme, network path") << "//example.com/x" << "http://example.com/x";
        QTest::newRow("file") << "file:///etc/passwd" << "";
        QTest::newRow("javascript") << "javascript:alert(1)" << "";
        QTest::newRow("javascript, mixed case") << "JavaScript:alert(1)" << "";
        QTest::newRow("data") << "data:text/html,<b>x</b>" << "";
        QTest::newRow("custom handler") << "steam://run/1" << "";
        QTest::newRow("smb") << "smb://host/share" << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("http without host") << "http://" << "";
        QTest::newRow("mailto without address") << "mailto:" << "";
    }
    void decidesWhatOpens()
    {
        QFETCH(QString, href);
        QFETCH(QString, opened);
        QCOMPARE(LinkPolicy::urlToOpen(href).toString(), opened);
    }

    // The desktop gets the address as written, percent-encoded once.
    void encodesTheAddressOnce_data()
    {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("blank") << "http://example.com/a b" << "http://example.com/a%20b";
        QTest::newRow("encoded blank") << "http://example.com/a%20b" << "http://example.com/a%20b";
        QTest::newRow("encoded percent") << "http://example.com/a%2520b" << "http://example.com/a%2520b";
        QTest::newRow("lone percent") << "http://example.com/100%" << "http://example.com/100%25";
        QTest::newRow("apostrophe") << "http://example.com/Ender's_Game" << "http://example.com/Ender's_Game";
        QTest::newRow("quotes and brackets") << "http://example.com/\"<x>\"" << "http://example.com/%22%3Cx%3E%22";
        QTest::newRow("letters with marks") << "http://example.com/\u017Elu\u0165ou\u010Dk\u00FD" << "http://example.com/%C5%BElu%C5%A5ou%C4%8Dk%C3%BD";
        QTest::newRow("query") << "http://example.com/?q=a b&r=%20" << "http://example.com/?q=a%20b&r=%20";
    }
    void encodesTheAddressOnce()
    {
        QFETCH(QString, href);
        QFETCH(QString, encoded);
        QCOMPARE(QString::fromLatin1(LinkPolicy::urlToOpen(href).toEncoded()), encoded);
    }

    // A mail link fills in a message and nothing else: some mail programs attach the file that
    // "attach=" names.
    void opensMailWithMessageFieldsOnly_data()
    {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QString>("opened");
        QTest::newRow("attachment") << "mailto:a@b.example?attach=/etc/passwd&subject=x" << "mailto:a@b.example?subject=x";
        QTest::newRow("only an attachment") << "mailto:a@b.example?attach=/etc/passwd" << "mailto:a@b.example";
        QTest::newRow("attachment in capitals") << "mailto:a@b.example?ATTACHMENT=%2Fetc%2Fpasswd" << "mailto:a@b.example";
        QTest::newRow("attachment, encoded name") << "mailto:a@b.example?%61ttach=/etc/passwd" << "mailto:a@b.example";
        QTest::newRow("message fields kept in order")
            << "mailto:a@b.example?Subject=hi%20there&x=1&body=line%0Aline&cc=c@d.example&to=e@f.example&bcc=g@h.example"
            << "mailto:a@b.example?Subject=hi%20there&body=line%0Aline&cc=c@d.example&bcc=g@h.example";
        QTest::newRow("field without value") << "mailto:a@b.example?subject&attach" << "mailto:a@b.example?subject";
        QTest::newRow("fragment") << "mailto:a@b.example?subject=x#attach=y" << "mailto:a@b.example?subject=x";
        QTest::newRow("two addresses") << "mailto:a@b.example,c@d.example" << "mailto:a@b.example,c@d.example";
        QTest::newRow("web query untouched") << "http://example.com/?attach=x" << "http://example.com/?attach=x";
    }
    void opensMailWithMessageFieldsOnly()
    {
        QFETCH(QString, href);
        QFETCH(QString, opened);
        QCOMPARE(QString::fromLatin1(LinkPolicy::urlToOpen(href).toEncoded()), opened);
    }
};

QTEST_GUILESS_MAIN(tst_LinkPolicy)
#include "tst_linkpolicy.moc"
