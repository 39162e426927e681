#include "transcript/ImageCache.h"
#include "transcript/MessageMarkup.h"
#include "transcript/PageHead.h"
#include "transcript/RowDocuments.h"
#include "transcript/TranscriptPage.h"
#include "transcript/TranscriptRows.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGlyphRun>
#include <QImage>
#include <QPainterPath>
#include <QRawFont>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include <algorithm>

class tst_RowDocuments : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_directory;

    QString picturePath(const QString &name)
    {
        return m_directory.filePath(name);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_directory.isValid());
        QVERIFY(QDir(m_directory.path()).mkpath(QStringLiteral("smile/lol.gif")));
        QVERIFY(QDir(m_directory.path()).mkpath(QStringLiteral("odd dir#1/smile")));
        QImage picture(12, 12, QImage::Format_RGB32);
        picture.fill(Qt::magenta);
        // The picture's own format decides, whatever the name says.
        QVERIFY(picture.save(picturePath(QStringLiteral("smile/smile.gif")), "PNG"));
        QVERIFY(picture.save(picturePath(QStringLiteral("odd dir#1/smile/cool.gif")), "PNG"));
        QFile notAPicture(picturePath(QStringLiteral("smile/cry.gif")));
        QVERIFY(notAPicture.open(QIODevice::WriteOnly));
        notAPicture.write("not a picture");
    }

    void readsPicturesOnce_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("shown");
        QTest::newRow("absolute path") << picturePath(QStringLiteral("smile/smile.gif")) << true;
        QTest::newRow("file URL") << QUrl::fromLocalFile(picturePath(QStringLiteral("smile/smile.gif"))).toString() << true;
        QTest::newRow("path with blank and hash") << picturePath(QStringLiteral("odd dir#1/smile/cool.gif")) << true;
        QTest::newRow("missing file") << picturePath(QStringLiteral("smile/sun.gif")) << false;
        QTest::newRow("directory") << picturePath(QStringLiteral("smile/lol.gif")) << false;
        QTest::newRow("not a picture") << picturePath(QStringLiteral("smile/cry.gif")) << false;
        QTest::newRow("web address") << "http://example.com/smile.gif" << false;
        QTest::newRow("empty") << "" << false;
    }
    void readsPicturesOnce()
    {
        QFETCH(QString, name);
        QFETCH(bool, shown);
        ImageCache images;
        const QPixmap first = images.image(QUrl(name));
        QCOMPARE(!first.isNull(), shown);
        if (shown)
            QCOMPARE(images.image(QUrl(name)).cacheKey(), first.cacheKey());
    }

    void knowsWhenAFragmentShowsNothing_data()
    {
        QTest::addColumn<QString>("fragment");
        QTest::addColumn<bool>("showsSomething");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("meta") << PageHead::fragments().first() << false;
        QTest::newRow("base") << "<base target='_blank'>" << false;
        QTest::newRow("rule") << "<hr>" << true;
        QTest::newRow("text") << "x" << true;
        QTest::newRow("missing picture") << "<img src='/nowhere/x.gif' />" << true;
        QTest::newRow("empty cell") << "<table cellspacing='0' cellpadding='0'><tr><td></td></tr></table>" << true;
    }
    void knowsWhenAFragmentShowsNothing()
    {
        QFETCH(QString, fragment);
        QFETCH(bool, showsSomething);
        RowDocuments documents;
        documents.setStyle(PageHead::styleSheet());
        QCOMPARE(documents.parseInScratch(fragment).showsSomething(), showsSomething);
    }

    // Text no class styles shows in a page's default face, a serif at 16 pixels, not in the window's
    // font; the classes keep their own sizes.
    void unclassedTextTakesThePageFace_data()
    {
        QTest::addColumn<QString>("fragment");
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<QString>("family"); // as the font database finds it; "" for any
        const QString stamp = QStringLiteral("12:00:00");
        QTest::newRow("hint row") << TranscriptRows::textRow(stamp, TranscriptRows::emptyInputHint()) << 16
                                  << "Liberation Serif";
        QTest::newRow("banner of a cleared page") << TranscriptRows::clearedPageWelcomeRow(QStringLiteral("ann")) << 16
                                                  << "Liberation Serif";
        QTest::newRow("plain text") << QStringLiteral("after the broken tag") << 16 << "Liberation Serif";
        QTest::newRow("system row") << TranscriptRows::droppedRow(stamp) << 12 << "";
        QTest::newRow("message row") << TranscriptRows::chatRow(stamp, QStringLiteral("bob"), QStringLiteral("hi")) << 12
                                     << "";
        QTest::newRow("private message row") << TranscriptRows::pmRow(stamp, QStringLiteral("eve"), QStringLiteral("hi"))
                                             << 12 << "";
    }
    void unclassedTextTakesThePageFace()
    {
        QFETCH(QString, fragment);
        QFETCH(int, pixelSize);
        QFETCH(QString, family);
        const QFont windowFont = QApplication::font();
        QApplication::setFont(QFont(QStringLiteral("Liberation Sans"), 8));
        RowDocuments documents;
        documents.setStyle(PageHead::styleSheet());
        const TranscriptDocument &row = documents.parseInScratch(fragment);
        QApplication::setFont(windowFont);

        const QTextFragment first = row.begin().begin().fragment();
        QVERIFY(first.isValid());
        const QFont shown = first.charFormat().font().resolve(row.defaultFont());
        QCOMPARE(QFontInfo(shown).pixelSize(), pixelSize);
        if (!family.isEmpty())
            QCOMPARE(QFontInfo(shown).family(), family);
    }

    // Emoji show in colour wherever a row has text, in each of its faces; a smiley code stays the
    // program's own picture.
    void showsEmojiInColour_data()
    {
        QTest::addColumn<QString>("fragment");
        const QString stamp = QStringLiteral("12:00:00");
        const QString emoji = QStringLiteral("\U0001F600 \u2764\uFE0F \U0001F44D\U0001F3FD");
        QTest::newRow("message") << TranscriptRows::chatRow(stamp, QStringLiteral("bob"), emoji);
        QTest::newRow("bold message") << TranscriptRows::chatRow(stamp, QStringLiteral("bob"), "<b>" + emoji + "</b>");
        QTest::newRow("message after a rule") << TranscriptRows::chatRow(stamp, QStringLiteral("bob"), "x<hr>" + emoji);
        QTest::newRow("message with a smiley") << TranscriptRows::chatRow(stamp, QStringLiteral("bob"),
                                                                          MessageMarkup::ConvertMarkup(":) " + emoji));
        QTest::newRow("private message") << TranscriptRows::pmRow(stamp, QStringLiteral("eve"), emoji);
        QTest::newRow("hint row") << TranscriptRows::textRow(stamp, emoji);
        QTest::newRow("message of the day") << TranscriptRows::messageOfDayRow(emoji);
        QTest::newRow("welcome banner") << TranscriptRows::serverWelcomeRow(emoji);
    }
    void showsEmojiInColour()
    {
        QFETCH(QString, fragment);
        QVERIFY2(QFontDatabase::families().contains(QStringLiteral("Noto Color Emoji")),
                 "scripts/install-deps.sh installs fonts-noto-color-emoji");
        RowDocuments documents;
        documents.setStyle(PageHead::styleSheet());
        documents.setWidth(4000);
        TranscriptDocument *row = documents.layout(0, fragment);
        row->size(); // lays it out
        // The face the row's text resolves to; every glyph is drawn in it or in colour, but for marks
        // that draw nothing (the emoji presentation selector after a heart).
        const QString face = QFontInfo(row->begin().begin().fragment().charFormat().font()).family();
        bool inColour = false;
        for (QTextBlock block = row->begin(); block.isValid(); block = block.next()) {
            for (int line = 0; line < block.layout()->lineCount(); ++line) {
                for (const QGlyphRun &run : block.layout()->lineAt(line).glyphRuns()) {
                    const QString family = run.rawFont().familyName();
                    const QList<quint32> glyphs = run.glyphIndexes();
                    const bool drawsNothing = std::all_of(glyphs.cbegin(), glyphs.cend(), [&run](quint32 glyph) {
                        return run.rawFont().pathForGlyph(glyph).isEmpty();
                    });
                    QVERIFY2(family == face || family == QLatin1String("Noto Color Emoji") || drawsNothing, qPrintable(family));
                    inColour = inColour || family == QLatin1String("Noto Color Emoji");
                }
            }
        }
        QVERIFY(inColour);
        if (fragment.contains(QStringLiteral("smile.gif"))) {
            bool picture = false;
            for (auto piece = row->begin().begin(); !piece.atEnd(); ++piece)
                picture = picture || piece.fragment().charFormat().isImageFormat();
            QVERIFY(picture);
        }
    }

    // Printing copies every row into one document; each row must stay as it was shown on its own.
    void buildsThePageRowByRow()
    {
        TranscriptPage page;
        page.writeHead();
        page.write(QStringLiteral("<div align='center'><span class='style1'>Welcome to Korvani ann</span></div><hr>"));
        page.write(QStringLiteral("<table cellspacing='0' cellpadding='0'><tr><td class='message'>[1] bob: <b>left open"
                                  "</td></tr></table>"));
        page.write(QStringLiteral("<table cellspacing='0' cellpadding='0'><tr><td class='pm'>[2] eve: plain</td></tr></table>"));
        page.write(QString());
        page.write(QStringLiteral("<hr>"));
        page.write(QStringLiteral("<i>open italic <img src='x"));
        page.write(QStringLiteral("after the broken tag"));
        RowDocuments documents;
        documents.setStyle(page.styleSheet());
        const std::unique_ptr<TranscriptDocument> whole = documents.printDocument(page, 0, page.fragmentCount());

        QStringList paragraphs;
        for (QTextBlock block = whole->begin(); block.isValid(); block = block.next())
            paragraphs.append(block.text());
        QCOMPARE(paragraphs, (QStringList{"Welcome to Korvani ann", "", "[1] bob: left open", "[2] eve: plain", "",
                                          QStringLiteral("open italic \uFFFC"), "after the broken tag"}));

        const QTextBlock banner = whole->begin();
        QCOMPARE(banner.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QVERIFY(banner.next().blockFormat().hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth));
        const QTextBlock plain = whole->findBlockByNumber(3);
        QCOMPARE(plain.begin().fragment().charFormat().fontWeight(), int(QFont::Normal));
        QCOMPARE(plain.begin().fragment().charFormat().foreground().color(), QColor(Qt::darkGreen));
        QVERIFY(whole->findBlockByNumber(4).blockFormat().hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth));
        QVERIFY(!whole->findBlockByNumber(6).begin().fragment().charFormat().fontItalic());
        // Pixel sizes are screen pixels: on a printer they are given in points.
        QVERIFY(!plain.begin().fragment().charFormat().hasProperty(QTextFormat::FontPixelSize));
        QCOMPARE(plain.begin().fragment().charFormat().fontPointSize(), 9.0);
    }

    // A printed PDF keeps links; they must be no more dangerous than a click in the view.
    void printedLinksFollowTheLinkPolicy()
    {
        TranscriptPage page;
        page.write(QStringLiteral("<a href=www.example.com>web</a> <a href=javascript:alert(1)>script</a>"));
        RowDocuments documents;
        const std::unique_ptr<TranscriptDocument> whole = documents.printDocument(page, 0, page.fragmentCount());
        QStringList anchors;
        for (auto piece = whole->begin().begin(); !piece.atEnd(); ++piece) {
            const QTextCharFormat format = piece.fragment().charFormat();
            anchors.append(piece.fragment().text() + u'=' + (format.isAnchor() ? format.anchorHref() : QString()));
        }
        QCOMPARE(anchors, (QStringList{"web=http://www.example.com", " =", "script="}));
    }
};

QTEST_MAIN(tst_RowDocuments)
#include "tst_rowdocuments.moc"
