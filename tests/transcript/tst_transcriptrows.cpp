#include "transcript/TranscriptRows.h"

#include <QLocale>
#include <QTest>
#include <QTime>

class tst_TranscriptRows : public QObject
{
    Q_OBJECT
private slots:
    void buildsEachRow_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("row");
        QTest::newRow("hint") << "text" << "" << "  ~// You must enter text to send it"
                              << "<table cellspacing='0' cellpadding='0'><tr><td>[12:05:09] Server:   ~// You must "
                                 "enter text to send it</td></tr></table>";
        QTest::newRow("public message, converted text placed as it is")
            << "chat" << "bob" << "hi <b>all</b>"
            << "<table cellspacing='0' cellpadding='0'><tr><td class='message'>[12:05:09] bob: hi <b>all</b></td></tr></table>";
        QTest::newRow("public message, name escaped")
            << "chat" << "<i>a&b\"</i>" << "x"
            << "<table cellspacing='0' cellpadding='0'><tr><td class='message'>[12:05:09] &lt;i&gt;a&amp;b&quot;&lt;/i&gt;: "
               "x</td></tr></table>";
        QTest::newRow("public message, empty text")
            << "chat" << "bob" << ""
            << "<table cellspacing='0' cellpadding='0'><tr><td class='message'>[12:05:09] bob: </td></tr></table>";
        QTest::newRow("private message, name and text escaped, codes kept")
            << "pm" << "<b>eve</b>" << "<script>x</script> & [B]y[/B] :)"
            << "<table cellspacing='0' cellpadding='0'><tr><td class='pm'>[12:05:09] &lt;b&gt;eve&lt;/b&gt;: "
               "&lt;script&gt;x&lt;/script&gt; &amp; [B]y[/B] :)</td></tr></table>";
        QTest::newRow("private message, empty text")
            << "pm" << "eve" << ""
            << "<table cellspacing='0' cellpadding='0'><tr><td class='pm'>[12:05:09] eve: </td></tr></table>";
    }
    void buildsEachRow()
    {
        QFETCH(QString, kind);
        QFETCH(QString, user);
        QFETCH(QString, text);
        QFETCH(QString, row);
        const QString stamp = QStringLiteral("12:05:09");
        if (kind == QLatin1String("text"))
            QCOMPARE(TranscriptRows::textRow(stamp, text), row);
        else if (kind == QLatin1String("chat"))
            QCOMPARE(TranscriptRows::chatRow(stamp, user, text), row);
        else
            QCOMPARE(TranscriptRows::pmRow(stamp, user, text), row);
    }

    void givesTheTimeFormatSeconds_data()
    {
        QTest::addColumn<QString>("systemFormat");
        QTest::addColumn<QString>("format");
        QTest::newRow("24-hour") << "HH:mm" << "HH:mm:ss";
        QTest::newRow("12-hour") << "h:mm AP" << "h:mm:ss AP";
        QTest::newRow("12-hour, marker first") << "AP h:mm" << "AP h:mm:ss";
        QTest::newRow("dot separator") << "HH.mm" << "HH.mm.ss";
        QTest::newRow("seconds already") << "HH:mm:ss" << "HH:mm:ss";
        QTest::newRow("seconds and zone") << "h:mm:ss AP t" << "h:mm:ss AP t";
        QTest::newRow("quoted text before the minutes") << "H 'h' mm" << "H 'h' mm:ss";
        QTest::newRow("quoted m is no minute") << "'m' H:mm" << "'m' H:mm:ss";
        QTest::newRow("no minutes at all") << "" << "HH:mm:ss";
    }
    void givesTheTimeFormatSeconds()
    {
        QFETCH(QString, systemFormat);
        QFETCH(QString, format);
        QCOMPARE(TranscriptRows::timeFormatWithSeconds(systemFormat), format);
    }

    void stampsTheLocalTimeWithSeconds()
    {
        const QLocale locale = QLocale::system();
        const QString format = TranscriptRows::timeFormatWithSeconds(locale.timeFormat(QLocale::ShortFormat));
        const QTime before = QTime::currentTime();
        const QTime stamped = locale.toTime(TranscriptRows::timeStamp(), format);
        QVERIFY(stamped.isValid());
        QVERIFY(qAbs(before.secsTo(stamped)) <= 1 || qAbs(before.secsTo(stamped)) >= 86399);
    }
};

QTEST_GUILESS_MAIN(tst_TranscriptRows)
#include "tst_transcriptrows.moc"
