#include "transcript/CompactFragments.h"
#include "transcript/MessageMarkup.h"
#include "transcript/PageHead.h"
#include "transcript/RowText.h"
#include "transcript/TranscriptPage.h"
#include "transcript/TranscriptRows.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

const QString folder = QStringLiteral("/opt/kor vani/smile/");
const QString stamp = QStringLiteral("12:00:00");

CompactFragments rowStore()
{
    return CompactFragments(TranscriptRows::rowFrames(), folder);
}

QString picture(const char *file)
{
    return QStringLiteral("<img src='") + folder + QLatin1String(file) + QStringLiteral("' />");
}

// Characters that stress the encodings: the folder's own letters and separators, non-ASCII, a
// character whose UTF-8 holds 0xff's neighbours, NUL, surrogates (paired and lone), markup.
QString randomText(QRandomGenerator &random)
{
    static const QString alphabet = QStringLiteral("ab/ <>'&;:)\u00ff\u00fe\u010d\u20ac\U0001F600") + QChar(0)
        + QChar(0xd800) + QChar(0xdfff) + folder;
    QString text;
    const int length = random.bounded(40);
    for (int i = 0; i < length; ++i) {
        if (random.bounded(8) == 0)
            text += folder;
        else
            text += alphabet.at(random.bounded(int(alphabet.size())));
    }
    return text;
}

} // namespace

class tst_CompactFragments : public QObject
{
    Q_OBJECT
private slots:
    void givesBackExactlyWhatWasWritten_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("chat row") << TranscriptRows::chatRow(stamp, QStringLiteral("bob"), QStringLiteral("hello"));
        QTest::newRow("frame and nothing inside") << TranscriptRows::chatRow({}, {}, {}).remove(QStringLiteral("[] : "));
        QTest::newRow("opening only") << QStringLiteral("<table cellspacing='0' cellpadding='0'><tr><td class='message'>x");
        QTest::newRow("closing only") << QStringLiteral("x</td></tr></table>");
        QTest::newRow("private row") << TranscriptRows::pmRow(stamp, QStringLiteral("eve<3"), QStringLiteral("<i>"));
        QTest::newRow("system row with the blank") << TranscriptRows::ownPmRefusalRow(stamp);
        QTest::newRow("message of the day") << TranscriptRows::messageOfDayRow(QStringLiteral("rules"));
        QTest::newRow("banner") << TranscriptRows::clearedPageWelcomeRow(QStringLiteral("ann"));
        QTest::newRow("head fragment") << PageHead::fragments().constLast();
        QTest::newRow("pictures side by side")
            << TranscriptRows::chatRow(stamp, QStringLiteral("bob"), picture("smile.gif") + picture("lol.gif"));
        QTest::newRow("folder at both ends") << folder + QStringLiteral("x") + folder;
        QTest::newRow("folder's start only") << folder.chopped(1) + QStringLiteral("x");
        QTest::newRow("non-ASCII") << TranscriptRows::chatRow(stamp, QStringLiteral("\u010dau"), QStringLiteral("\u20ac \u00ff"));
        QTest::newRow("NUL") << QStringLiteral("a") + QChar(0) + QStringLiteral("b");
        QTest::newRow("lone surrogate") << TranscriptRows::chatRow(stamp, QStringLiteral("x") + QChar(0xd800), folder);
        QTest::newRow("pair of surrogates") << QStringLiteral("\U0001F600") + folder;
        QTest::newRow("1 MB name") << TranscriptRows::joinedRow(stamp, QString(1 << 20, u'n'));
    }
    void givesBackExactlyWhatWasWritten()
    {
        QFETCH(QString, text);
        CompactFragments store = rowStore();
        store.append(QStringLiteral("before"));
        store.append(text);
        store.appendAbsent();
        store.append(QStringLiteral("after"));
        QCOMPARE(store.count(), 4);
        QCOMPARE(store.at(0), QStringLiteral("before"));
        QCOMPARE(store.at(1), text);
        QVERIFY(!store.isAbsent(1));
        QVERIFY(store.isAbsent(2));
        QCOMPARE(store.at(3), QStringLiteral("after"));
    }

    void innerLeavesOutTheFrame()
    {
        CompactFragments store = rowStore();
        store.append(TranscriptRows::chatRow(stamp, QStringLiteral("bob"), picture("smile.gif")));
        store.append(QStringLiteral("<p>no frame</p>"));
        QCOMPARE(store.inner(0), QStringLiteral("[12:00:00] bob: ") + picture("smile.gif"));
        QCOMPARE(store.inner(1), QStringLiteral("<p>no frame</p>"));
    }

    void randomTextsComeBackWhole()
    {
        QRandomGenerator random(1290);
        CompactFragments store = rowStore();
        QStringList written;
        for (int i = 0; i < 5000; ++i) {
            const QString inside = randomText(random);
            written.append(random.bounded(2) ? TranscriptRows::chatRow(stamp, inside, inside) : inside);
            store.append(written.constLast());
        }
        for (int i = 0; i < written.size(); ++i)
            QCOMPARE(store.at(i), written.at(i));
    }

    // The page gives each row's shown text; for most rows it is the row without its frame and is not
    // kept twice.
    void pageGivesEachRowsText_data()
    {
        QTest::addColumn<QString>("fragment");
        const auto chat = [](const QString &typed) {
            return TranscriptRows::chatRow(stamp, QStringLiteral("bob"), MessageMarkup::ConvertMarkup(typed));
        };
        QTest::newRow("plain") << chat(QStringLiteral("hello"));
        QTest::newRow("smiley") << chat(QStringLiteral("hi :)"));
        QTest::newRow("entities") << chat(QStringLiteral("a < b & c"));
        QTest::newRow("runs of blanks") << chat(QStringLiteral("a    b"));
        QTest::newRow("only a picture") << chat(QStringLiteral(":)"));
        QTest::newRow("banner") << TranscriptRows::clearedPageWelcomeRow(QStringLiteral("ann"));
        QTest::newRow("message of the day") << TranscriptRows::messageOfDayRow(QStringLiteral("<b>x</b>"));
        QTest::newRow("raw") << QStringLiteral("<p>one</p><p>two</p>");
    }
    void pageGivesEachRowsText()
    {
        QFETCH(QString, fragment);
        TranscriptPage page;
        page.writeHead();
        page.write(fragment);
        const int row = page.fragmentCount() - 1;
        QVERIFY(page.isRow(row));
        QCOMPARE(page.fragment(row), fragment);
        QCOMPARE(page.plainText(row), RowText::plainText(fragment));
        QCOMPARE(page.source(), PageHead::fragments().join(QString()) + fragment);
    }
};

QTEST_GUILESS_MAIN(tst_CompactFragments)
#include "tst_compactfragments.moc"
