#include "notify/MessageNotices.h"

#include <QTest>

class tst_MessageNotices : public QObject
{
    Q_OBJECT
private slots:
    void namesUser_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("names");

        QTest::newRow("alone") << "ana" << "ana" << true;
        QTest::newRow("in a sentence") << "hi ana, how are you" << "ana" << true;
        QTest::newRow("letter case aside") << "HI ANA!" << "Ana" << true;
        QTest::newRow("other scripts' case") << "bok ČEDO" << "čedo" << true;
        QTest::newRow("inside a word") << "banana" << "ana" << false;
        QTest::newRow("at a word's start") << "anatomy" << "ana" << false;
        QTest::newRow("after a digit") << "2ana" << "ana" << false;
        QTest::newRow("after an underscore") << "x_ana" << "ana" << false;
        QTest::newRow("a later whole word counts") << "banana ana" << "ana" << true;
        QTest::newRow("one letter, a word") << "a cat" << "a" << true;
        QTest::newRow("one letter, only inside words") << "banana cat" << "a" << false;
        QTest::newRow("regex characters are text") << "who is a.b?" << "a.b" << true;
        QTest::newRow("a dot is no wildcard") << "who is axb?" << "a.b" << false;
        QTest::newRow("star") << "hey *star*!" << "*star*" << true;
        QTest::newRow("brackets") << "ping [ana]" << "[ana]" << true;
        QTest::newRow("edge without a word character") << "x[ana]y" << "[ana]" << true;
        QTest::newRow("backslash") << "c:\\x is" << "c:\\x" << true;
        QTest::newRow("empty name") << "anything" << "" << false;
        QTest::newRow("name longer than the text") << "an" << "ana" << false;
        QTest::newRow("repeated letters") << "aaaa aaa" << "aaa" << true;
        QTest::newRow("overlaps only inside") << "aaaa" << "aaa" << false;
        QTest::newRow("combining mark ends no word") << QString::fromUtf8("ana\u0301") << "ana" << false;
    }
    void namesUser()
    {
        QFETCH(QString, text);
        QFETCH(QString, name);
        QFETCH(bool, names);
        QCOMPARE(MessageNotices::namesUser(text, name), names);
    }

    // A 64 KiB message of one letter and a name of half as many: one pass over each.
    void longestInputsAreLinear()
    {
        const QString text = QString(64 * 1024, QLatin1Char('a'));
        const QString name = QString(32 * 1024, QLatin1Char('a')) + QLatin1Char('b');
        QVERIFY(!MessageNotices::namesUser(text, name));
        QVERIFY(MessageNotices::namesUser(text, text));
    }

    void notices_data()
    {
        QTest::addColumn<bool>("isPrivate");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("windowActive");
        QTest::addColumn<QString>("title"); // "" for no notice
        QTest::addColumn<QString>("body");

        QTest::newRow("public naming the user")
            << false << "bob" << "hi  ana\nthere" << false << "bob named you" << "hi ana there";
        QTest::newRow("public not naming the user") << false << "bob" << "hi all" << false << "" << "";
        QTest::newRow("public while the window is active") << false << "bob" << "hi ana" << true << "" << "";
        QTest::newRow("own public message") << false << "ana" << "I am ana" << false << "" << "";
        QTest::newRow("private") << true << "bob" << "psst" << false << "Private message from bob" << "psst";
        QTest::newRow("private while the window is active") << true << "bob" << "psst" << true << "" << "";
        QTest::newRow("own private message") << true << "ana" << "note" << false << "" << "";
    }
    void notices()
    {
        QFETCH(bool, isPrivate);
        QFETCH(QString, sender);
        QFETCH(QString, text);
        QFETCH(bool, windowActive);
        QFETCH(QString, title);
        QFETCH(QString, body);
        const auto notice = isPrivate ? MessageNotices::forPrivate(sender, text, QStringLiteral("ana"), windowActive)
                                      : MessageNotices::forPublic(sender, text, QStringLiteral("ana"), windowActive);
        QCOMPARE(notice.has_value(), !title.isEmpty());
        if (notice) {
            QCOMPARE(notice->title, title);
            QCOMPARE(notice->text, body);
        }
    }
};

QTEST_GUILESS_MAIN(tst_MessageNotices)
#include "tst_messagenotices.moc"
