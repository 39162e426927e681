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
};

QTEST_GUILESS_MAIN(tst_LinkPolicy)
#include "tst_linkpolicy.moc"
