#include "support/PaintCounter.h"

#include "app/AppDir.h"
#include "app/PendingEvents.h"
#include "transcript/MessageMarkup.h"
#include "transcript/TranscriptPrint.h"
#include "transcript/TranscriptRows.h"
#include "transcript/TranscriptView.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QPrinter>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QStringList headFragments = {
    "<meta http-equiv='Content-Type' content='text/html; charset=windows-1250' />",
    "<base target='_blank'>",
    "<style type='text/css'>",
    "<!--",
    ".style1 {",
    "   font-size: 16px;",
    "   font-weight: bold;",
    "}",
    ".message {",
    "    font-size: 12px;",
    "    font-family: serif;",
    "}",
    ".system {",
    "       color: Red;",
    "     font-size: 12px;",
    "    font-family: serif;",
    "}",
    ".pm {",
    "       color: green;",
    "     font-size: 12px;",
    "    font-family: serif;",
    "}",
    " -->",
    "</style>",
};

QString chatRow(int number, const QString &text = QStringLiteral("hello"))
{
    return TranscriptRows::chatRow(QStringLiteral("12:00:00"), QStringLiteral("user%1").arg(number),
                                   MessageMarkup::ConvertMarkup(text));
}

// Takes whatever the view hands to the desktop, for every scheme a link may carry, instead of a browser.
class OpenedUrls : public QObject
{
    Q_OBJECT
public:
    const QStringList schemes = {"http", "https", "ftp", "mailto", "file", "javascript"};
    QList<QUrl> urls;

    OpenedUrls()
    {
        for (const QString &scheme : schemes)
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~OpenedUrls() override
    {
        for (const QString &scheme : schemes)
            QDesktopServices::unsetUrlHandler(scheme);
    }
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

int pdfPageCount(const QString &path)
{
    QFile pdf(path);
    if (!pdf.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
    return int(QString::fromLatin1(pdf.readAll()).count(page));
}

// The text of a PDF when a tool that reads it is installed (poppler's pdftotext or Ghostscript), with
// every run of blanks as one blank; a null string otherwise.
QString pdfText(const QString &path)
{
    QProcess reader;
    if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        reader.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    else if (!QStandardPaths::findExecutable(QStringLiteral("gs")).isEmpty())
        reader.start(QStringLiteral("gs"), {"-q", "-dNOPAUSE", "-dBATCH", "-sDEVICE=txtwrite", "-sOutputFile=-", path});
    else
        return {};
    if (!reader.waitForFinished(60000) || reader.exitCode() != 0)
        return {};
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return QString::fromUtf8(reader.readAllStandardOutput()).replace(blanks, QStringLiteral(" "));
}

int countPixels(const QImage &image, QRgb color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, y) & 0xffffff) == (color & 0xffffff);
    return count;
}

} // namespace

class tst_TranscriptView : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TranscriptView> m_view;
    QTemporaryDir m_applicationDirectory;

    // Lets the coalesced frame (at most one frame period away) run.
    void waitForFrame() { QTest::qWait(50); }

    QScrollBar *bar() { return m_view->verticalScrollBar(); }

    // The viewport's pixels as the window shows them after the frames drawn so far.
    QImage shownOnScreen()
    {
        const QWidget *viewport = m_view->viewport();
        const QPoint origin = viewport->mapTo(m_view.get(), QPoint(0, 0));
        return m_view->screen()
            ->grabWindow(m_view->winId(), origin.x(), origin.y(), viewport->width(), viewport->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

    // The part of an image of the viewport that is drawn on, cut out of the page's background.
    QImage inkOf(const QImage &image)
    {
        const QRgb background = m_view->viewport()->palette().color(QPalette::Base).rgb();
        QRect ink;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != background)
                    ink |= QRect(x, y, 1, 1);
        return image.copy(ink);
    }

    // The viewport's pixels with every row drawn again, as a full repaint draws them.
    QImage drawnAnew() { return m_view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // Mouse events sent to the window go the way the platform's do (context menus included).
    QPoint inWindow(const QPoint &viewportPosition) { return m_view->viewport()->mapTo(m_view.get(), viewportPosition); }

    // The first point of the viewport over a link, or (-1, -1).
    QPoint linkPosition()
    {
        for (int y = 0; y < m_view->viewport()->height(); y += 2)
            for (int x = 0; x < m_view->viewport()->width(); x += 2)
                if (!m_view->anchorAt(QPoint(x, y)).isEmpty())
                    return {x, y};
        return {-1, -1};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_applicationDirectory.isValid());
        setApplicationDirectory(m_applicationDirectory.path());
    }

    void init()
    {
        m_view = std::make_unique<TranscriptView>();
        m_view->resize(400, 300);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        m_view->WritePageHead();
    }

    void cleanup() { m_view.reset(); }

    // Page source ---------------------------------------------------------------------------------

    void sourceIsTheHeadThenEveryFragmentInOrder()
    {
        QCOMPARE(m_view->pageSource(), headFragments.join(QString()));
        const QStringList rows = {"<div align='center'><span class='style1'>Welcome to Korvani ann</span></div><hr>",
                                  chatRow(1, "[B]open"), "", "<b>unclosed", chatRow(2)};
        m_view->write(rows.at(0));
        m_view->AppendHistory(rows.at(1));
        m_view->write(rows.at(2));
        m_view->AppendHistory(rows.at(3));
        m_view->AppendHistory(rows.at(4));
        QCOMPARE(m_view->pageSource(), headFragments.join(QString()) + rows.join(QString()));
    }

    void clearEmptiesThePage()
    {
        for (int i = 0; i < 50; ++i)
            m_view->AppendHistory(chatRow(i));
        waitForFrame();
        QVERIFY(bar()->maximum() > 0);
        m_view->clearPage();
        QCOMPARE(m_view->pageSource(), QString());
        waitForFrame();
        QCOMPARE(bar()->maximum(), 0);
        m_view->WritePageHead();
        m_view->write(chatRow(1));
        QCOMPARE(m_view->pageSource(), headFragments.join(QString()) + chatRow(1));
    }

    // Scrolling -----------------------------------------------------------------------------------

    void appendBringsTheEndIntoView()
    {
        for (int i = 0; i < 200; ++i)
            m_view->AppendHistory(chatRow(i));
        waitForFrame();
        QVERIFY(bar()->maximum() > 0);
        QCOMPARE(bar()->value(), bar()->maximum());

        bar()->setValue(0); // the user reads older rows
        waitForFrame();
        m_view->AppendHistory(chatRow(200, "a long row that wraps: " + QString(300, u'x')));
        waitForFrame();
        QCOMPARE(bar()->value(), bar()->maximum());
    }

    void writeDoesNotScroll()
    {
        for (int i = 0; i < 100; ++i)
            m_view->AppendHistory(chatRow(i));
        waitForFrame();
        bar()->setValue(0);
        waitForFrame();
        const int maximumBefore = bar()->maximum();
        for (int i = 0; i < 20; ++i)
            m_view->write(chatRow(100 + i));
        waitForFrame();
        QCOMPARE(bar()->value(), 0);
        QVERIFY(bar()->maximum() > maximumBefore);
    }

    void fragmentsThatShowNothingTakeNoRoom()
    {
        for (int i = 0; i < 100; ++i) {
            m_view->AppendHistory(QString());
            m_view->AppendHistory(headFragments.first());
        }
        waitForFrame();
        QCOMPARE(bar()->maximum(), 0);
    }

    void keysAndWheelScroll()
    {
        for (int i = 0; i < 300; ++i)
            m_view->AppendHistory(chatRow(i));
        waitForFrame();
        QTest::keyClick(m_view.get(), Qt::Key_Home);
        QCOMPARE(bar()->value(), 0);
        QTest::keyClick(m_view.get(), Qt::Key_PageDown);
        QVERIFY(bar()->value() > m_view->viewport()->height() / 2);
        QTest::keyClick(m_view.get(), Qt::Key_PageUp);
        QCOMPARE(bar()->value(), 0);
        QTest::keyClick(m_view.get(), Qt::Key_Down);
        QVERIFY(bar()->value() > 0);
        QTest::keyClick(m_view.get(), Qt::Key_End);
        QCOMPARE(bar()->value(), bar()->maximum());

        const int atEnd = bar()->value();
        const QPoint middle = m_view->viewport()->rect().center();
        QWheelEvent wheelUp(middle, m_view->viewport()->mapToGlobal(middle), QPoint(), QPoint(0, 120), Qt::NoButton,
                            Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_view->viewport(), &wheelUp);
        QVERIFY(bar()->value() < atEnd);
    }

    // Scrolling up row by row measures the rows it passes, where heights were only estimated, and
    // ends with the first row at the top.
    void scrollingUpReachesTheFirstRow()
    {
        for (int i = 0; i < 500; ++i)
            m_view->AppendHistory(chatRow(i, i % 7 == 0 ? "tall row " + QString(200, u'w') : QStringLiteral("short")));
        waitForFrame();
        int steps = 0;
        while (bar()->value() > 0 && steps < 10000) {
            QTest::keyClick(m_view.get(), Qt::Key_Up);
            ++steps;
        }
        QCOMPARE(bar()->value(), 0);
        QVERIFY(steps > 100);
        QTest::mousePress(m_view->windowHandle(), Qt::LeftButton, {}, inWindow(QPoint(0, 2)));
        QTest::mouseMove(m_view->windowHandle(), inWindow(QPoint(150, 2)));
        QTest::mouseRelease(m_view->windowHandle(), Qt::LeftButton, {}, inWindow(QPoint(150, 2)));
        QVERIFY2(m_view->selectedText().startsWith(QStringLiteral("[12:00:00] user0:")), qPrintable(m_view->selectedText()));
    }

    void resizingWrapsRowsAgain()
    {
        for (int i = 0; i < 40; ++i)
            m_view->AppendHistory(chatRow(i, "words " + QString(20, u'a') + " more words to wrap at a narrow width"));
        waitForFrame();
        const int wideMaximum = bar()->maximum();
        m_view->resize(150, 300);
        waitForFrame();
        QVERIFY(bar()->maximum() > wideMaximum);
        QCOMPARE(bar()->value(), bar()->maximum());
    }

    // Frames --------------------------------------------------------------------------------------

    // The dispatcher lets pending events run after every row; that must not paint every row: rows
    // written are shown at most 30 times a second.
    void paintsAtMostOnceAFrame()
    {
        PaintCounter counter;
        m_view->viewport()->installEventFilter(&counter);
        waitForFrame();
        counter.paints = 0;
        QElapsedTimer elapsed;
        elapsed.start();
        for (int i = 0; i < 1000; ++i) {
            m_view->AppendHistory(chatRow(i));
            LetPendingEventsRun();
        }
        const qint64 milliseconds = elapsed.elapsed();
        waitForFrame();
        QVERIFY2(counter.paints <= milliseconds / 33 + 2,
                 qPrintable(QStringLiteral("%1 paints in %2 ms").arg(counter.paints).arg(milliseconds)));
        QVERIFY(counter.paints >= 1);
        QCOMPARE(bar()->value(), bar()->maximum());
    }

    // In a flood the rows on screen move up: only what is new is drawn, and the window shows what
    // drawing everything would show, also where a part was waiting to be drawn again.
    void drawsOnlyWhatTheFloodBrings()
    {
        // The page fills up after a few frames: new rows are drawn below the old ones, then move them.
        for (int i = 0; i < 10; ++i)
            m_view->AppendHistory(chatRow(i));
        waitForFrame();
        QWidget *viewport = m_view->viewport();
        PaintCounter counter;
        viewport->installEventFilter(&counter);
        qint64 paintedPixels = 0;
        for (int frame = 0; frame < 10; ++frame) {
            if (frame % 2 == 1)
                viewport->update(QRect(0, viewport->height() / 2, 60, 20));
            m_view->AppendHistory(chatRow(100 + 2 * frame));
            m_view->AppendHistory(chatRow(101 + 2 * frame));
            waitForFrame();
            for (const QRect &rect : std::as_const(counter.painted))
                paintedPixels += qint64(rect.width()) * rect.height();
            QCOMPARE(shownOnScreen(), drawnAnew());
            counter.painted = QRegion(); // the grab drew everything once more
        }
        // Drawing every row each frame would be ten times the viewport.
        QVERIFY2(paintedPixels < 2 * qint64(viewport->width()) * viewport->height(), qPrintable(QString::number(paintedPixels)));
        QCOMPARE(bar()->value(), bar()->maximum());
    }

    // Marks above capitals, italics leaning past their letters, descenders and underlines reach
    // beyond their line, into the row above or below: every frame of a flood must still show what
    // drawing everything shows, at each size the page's classes give.
    void eachFrameShowsWhatDrawingEverythingShows_data()
    {
        QTest::addColumn<QString>("rowTemplate"); // %1: the row's number, %2: its text
        QTest::addColumn<QString>("text");
        const QList<std::pair<const char *, QString>> sizes = {
            {"message 12px", TranscriptRows::chatRow(QStringLiteral("12:00:00"), QStringLiteral("user%1"), QStringLiteral("%2"))},
            {"pm 12px", TranscriptRows::pmRow(QStringLiteral("12:00:00"), QStringLiteral("user%1"), QStringLiteral("%2"))},
            {"system 12px", TranscriptRows::systemRow(QStringLiteral("12:00:00"), QStringLiteral("%1 %2"))},
            {"default 16px", TranscriptRows::textRow(QStringLiteral("12:00:00"), QStringLiteral("%1 %2"))},
            {"banner 16px bold", QStringLiteral("<div align='center'><span class='style1'>%1 %2</span></div>")},
        };
        const QList<std::pair<const char *, QString>> texts = {
            {"Czech and Slovak capitals", QStringLiteral("ŠČŘŽĎŤŇ Ústí ĽĹŔ Ä")},
            {"Polish capitals", QStringLiteral("Żółć ŚŹĆŃ Ó Ą Ę Ł")},
            {"Hungarian capitals", QStringLiteral("Ő Ű ÖÜ Á É Í")},
            {"italic", QStringLiteral("<i>kurzíva fff Wf Ž ") + QString(12, u'f') + QStringLiteral(" až k okraji řádku, který se zalomí fff</i>")},
            {"descenders", QStringLiteral("gjpyq gjpyq Ągę")},
            {"underline", QStringLiteral("<u>podtržené Žgjpy</u>")},
        };
        for (const auto &[size, row] : sizes)
            for (const auto &[kind, text] : texts)
                QTest::addRow("%s, %s", size, kind) << row << text;
    }

    void eachFrameShowsWhatDrawingEverythingShows()
    {
        QFETCH(QString, rowTemplate);
        QFETCH(QString, text);
        // Rows come alone and two to a frame, first below each other, then moving the page up.
        for (int frame = 0; frame < 16; ++frame) {
            for (int row = 0; row < 1 + frame % 2; ++row)
                m_view->AppendHistory(rowTemplate.arg(2 * frame + row).arg(text));
            waitForFrame();
            QVERIFY2(shownOnScreen() == drawnAnew(), qPrintable(QStringLiteral("frame %1").arg(frame)));
        }
    }

    // Marks over the capitals of the page's first row stand above the row: they are shown as they
    // are on any other row.
    void firstRowShowsItsMarks()
    {
        const QString row = chatRow(1, QStringLiteral("ŠČŘŽĎŤŇ Ústí Żółć ŚŹĆŃ Ő Ű"));
        m_view->AppendHistory(row);
        waitForFrame();
        const QImage first = inkOf(drawnAnew());
        m_view->clearPage();
        m_view->WritePageHead();
        m_view->AppendHistory(QStringLiteral("<div>&nbsp;</div>"));
        m_view->AppendHistory(row);
        waitForFrame();
        QCOMPARE(first, inkOf(drawnAnew()));
    }

    // Menu, selection, links ----------------------------------------------------------------------

    void rightClickAsksForTheMenu()
    {
        m_view->AppendHistory(chatRow(1));
        waitForFrame();
        QSignalSpy requests(m_view.get(), &TranscriptView::contextMenuRequested);
        const QPoint at(20, 5);
        QTest::mouseClick(m_view->windowHandle(), Qt::LeftButton, {}, inWindow(at));
        QCOMPARE(requests.count(), 0);
        QTest::mouseClick(m_view->windowHandle(), Qt::RightButton, {}, inWindow(at));
        QCOMPARE(requests.count(), 1);
        QCOMPARE(requests.at(0).at(0).toPoint(), m_view->viewport()->mapToGlobal(at));

        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint());
        QApplication::sendEvent(m_view->viewport(), &key);
        QCOMPARE(requests.count(), 2);
        QVERIFY(m_view->rect().contains(m_view->mapFromGlobal(requests.at(1).at(0).toPoint())));
    }

    void selectsAcrossRowsAndCopies()
    {
        m_view->AppendHistory(chatRow(1, "first row"));
        m_view->AppendHistory(chatRow(2, "second :) row"));
        m_view->AppendHistory(TranscriptRows::pmRow(QStringLiteral("12:00:00"), QStringLiteral("eve"),
                                                    QStringLiteral("third <row>")));
        waitForFrame();
        QTest::keyClick(m_view.get(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(m_view.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("[12:00:00] user1: first row\n"
                                                                      "[12:00:00] user2: second  row\n"
                                                                      "[12:00:00] eve: third <row>"));

        // Drag from the middle of the first row to the middle of the last.
        QGuiApplication::clipboard()->clear();
        QTest::mousePress(m_view->viewport(), Qt::LeftButton, {}, QPoint(80, 5));
        QTest::mouseMove(m_view->viewport(), QPoint(60, 20));
        QTest::mouseMove(m_view->viewport(), QPoint(60, 40));
        QTest::mouseRelease(m_view->viewport(), Qt::LeftButton, {}, QPoint(60, 40));
        m_view->copy();
        const QStringList lines = QGuiApplication::clipboard()->text().split(u'\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(QStringLiteral("[12:00:00] user1: first row").endsWith(lines.at(0)));
        QVERIFY(lines.at(0).size() < 27);
        QCOMPARE(lines.at(1), QStringLiteral("[12:00:00] user2: second  row"));
        QVERIFY(QStringLiteral("[12:00:00] eve: third <row>").startsWith(lines.at(2)));
    }

    // Control characters of a message or a name show as U+FFFD in the row, and that is what leaves by
    // the clipboard, so a paste into a terminal cannot act on it.
    void copiesControlCharactersAsReplacements_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("copied"); // what copying gives of "name: text"
        const QString r(QChar::ReplacementCharacter);
        QTest::newRow("escape sequences and bell")
            << QStringLiteral("ana") << QStringLiteral("\x1b]0;owned\x07 \x1b[2J") << "ana: " + r + "]0;owned" + r + " " + r + "[2J";
        QTest::newRow("delete, backspace, null") << QStringLiteral("ana") << QString::fromUtf16(u"a\x7f b\x08 c\0d", 9)
                                                 << "ana: a" + r + " b" + r + " c" + r + "d";
        QTest::newRow("C1 controls") << QStringLiteral("ana") << QString::fromUtf16(u"a\u009b31mb\u0086c\u0090")
                                     << "ana: a" + r + "31mb" + r + "c" + r;
        QTest::newRow("in the name") << QStringLiteral("\x1b[31mred\x07") << QStringLiteral("hi")
                                     << r + "[31mred" + r + ": hi";
        // The marks that keep right-to-left runs in their places are not copied.
        QTest::newRow("right-to-left name and override") << QStringLiteral("\u05D0\u05D1") << QStringLiteral("\u05D2 x\u202Ey")
                                                         << QStringLiteral("\u05D0\u05D1: \u05D2 x") + r + "y";
    }
    void copiesControlCharactersAsReplacements()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, copied);
        m_view->AppendHistory(TranscriptRows::chatRow(QStringLiteral("12:00:00"), name, MessageMarkup::ConvertMarkup(text)));
        waitForFrame();
        QVERIFY2(m_view->pageText().endsWith(copied), "the row shows what is copied");

        QGuiApplication::clipboard()->clear();
        QTest::keyClick(m_view.get(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(m_view.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), "[12:00:00] " + copied);

        // Selected by the mouse inside the row: read from the row as laid out.
        QGuiApplication::clipboard()->clear();
        QTest::mousePress(m_view->viewport(), Qt::LeftButton, {}, QPoint(30, 5));
        QTest::mouseMove(m_view->viewport(), QPoint(390, 40));
        QTest::mouseRelease(m_view->viewport(), Qt::LeftButton, {}, QPoint(390, 40));
        m_view->copy();
        const QString partial = QGuiApplication::clipboard()->text();
        QVERIFY2(!partial.isEmpty() && ("[12:00:00] " + copied).endsWith(partial), qPrintable(partial));
    }

    // A row kept as a table carries the engine's frame markers; copying gives only what is seen.
    void copiesOnlyTheVisibleText()
    {
        m_view->AppendHistory(QStringLiteral("<table cellspacing='0' cellpadding='0'><tr><td class='system'>[12:00:00] "
                                             "Server: rules</td></tr></table><hr>"));
        m_view->AppendHistory(chatRow(1, "after"));
        waitForFrame();
        m_view->selectAll();
        QCOMPARE(m_view->selectedText(), QStringLiteral("[12:00:00] Server: rules\n[12:00:00] user1: after"));

        // Begun inside the table row: that part is read from the row as laid out.
        QTest::mousePress(m_view->viewport(), Qt::LeftButton, {}, QPoint(30, 5));
        QTest::mouseMove(m_view->viewport(), QPoint(300, 200));
        QTest::mouseRelease(m_view->viewport(), Qt::LeftButton, {}, QPoint(300, 200));
        const QString partial = m_view->selectedText();
        QVERIFY2(!partial.contains(QChar(0xFDD0)) && !partial.contains(QChar(0xFDD1)), qPrintable(partial));
        QVERIFY2(partial.endsWith(QStringLiteral("Server: rules\n[12:00:00] user1: after")), qPrintable(partial));
    }

    // A screen reader reads the conversation as read-only text, a line per row. (That each new row is
    // told to it as it comes needs a live accessibility bus: tests/accessibility checks it.)
    void readsAsTextToAScreenReader()
    {
        m_view->setAccessibleName(QStringLiteral("Conversation"));
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(m_view.get());
        QVERIFY(accessible);
        QCOMPARE(accessible->role(), QAccessible::EditableText);
        QVERIFY(accessible->state().readOnly);
        QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Conversation"));
        QAccessibleTextInterface *text = accessible->textInterface();
        QVERIFY(text);
        QCOMPARE(text->characterCount(), 0);

        m_view->WritePageHead();
        m_view->AppendHistory(chatRow(1, "first :) row"));
        m_view->AppendHistory(TranscriptRows::pmRow(QStringLiteral("12:00:00"), QStringLiteral("eve"),
                                                    QStringLiteral("second <row>")));

        const QString page = QStringLiteral("[12:00:00] user1: first  row\n[12:00:00] eve: second <row>");
        QCOMPARE(text->characterCount(), page.size());
        QCOMPARE(text->text(0, text->characterCount()), page);
        QCOMPARE(text->text(11, 16), QStringLiteral("user1"));
        m_view->clearPage();
        QCOMPARE(text->characterCount(), 0);
    }

    void linksOpenInTheDesktopBrowserOnlyForWebAndMail_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("opened");
        QTest::newRow("no scheme") << "www.example.com" << "http://www.example.com";
        QTest::newRow("https") << "https://example.com/x" << "https://example.com/x";
        QTest::newRow("mailto") << "mailto:bob@example.com" << "mailto:bob@example.com";
        QTest::newRow("file") << "file:///etc/passwd" << "";
        QTest::newRow("javascript") << "javascript:alert(1)" << "";
        // What opens is the address as typed, percent-encoded once.
        QTest::newRow("smiley code") << "http://example.com/encryption" << "http://example.com/encryption";
        QTest::newRow("tag") << "http://example.com/[B]x[URL/]" << "http://example.com/[B]x[URL/]";
        QTest::newRow("apostrophe") << "http://example.com/Ender's_Game" << "http://example.com/Ender's_Game";
        QTest::newRow("double quotes") << "http://example.com/say\"hi\"" << "http://example.com/say%22hi%22";
        QTest::newRow("brackets, quoted") << "http://example.com/?q=<b>" << "http://example.com/?q=%3Cb%3E";
        QTest::newRow("brackets") << "http://example.com/<b>" << "http://example.com/%3Cb%3E";
        QTest::newRow("blank") << "http://example.com/a b" << "http://example.com/a%20b";
        QTest::newRow("percent-encoded blank") << "http://example.com/a%20b" << "http://example.com/a%20b";
        QTest::newRow("percent-encoded, quoted") << "http://example.com/?a=%20&b=%27" << "http://example.com/?a=%20&b=%27";
        QTest::newRow("lone percent") << "http://example.com/100%" << "http://example.com/100%25";
        QTest::newRow("mail with an attachment")
            << "mailto:a@b.example?attach=/etc/passwd&subject=x" << "mailto:a@b.example?subject=x";
    }
    void linksOpenInTheDesktopBrowserOnlyForWebAndMail()
    {
        QFETCH(QString, address);
        QFETCH(QString, opened);
        OpenedUrls desktop;

        m_view->AppendHistory(chatRow(1, "see [URL]" + address + "[/URL]this link[URL/] now"));
        waitForFrame();
        const QPoint link = linkPosition();
        QVERIFY(link.x() >= 0);
        QCOMPARE(m_view->anchorAt(link), address);
        QTest::mouseMove(m_view->windowHandle(), inWindow(QPoint(1, 1)));
        QCOMPARE(m_view->viewport()->cursor().shape(), Qt::IBeamCursor);
        QTest::mouseMove(m_view->windowHandle(), inWindow(link));
        QCOMPARE(m_view->viewport()->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(m_view->windowHandle(), Qt::LeftButton, {}, inWindow(link));

        QCOMPARE(desktop.urls.size(), opened.isEmpty() ? 0 : 1);
        if (!opened.isEmpty())
            QCOMPARE(QString::fromLatin1(desktop.urls.first().toEncoded()), opened);
        QCOMPARE(m_view->pageSource().count(QStringLiteral("<a href=")), 1); // nothing navigated in the view
    }

    // Without a mouse: Tab walks the links of the rows on screen, Enter opens the one it is on, and
    // past the last link Tab goes on to the next control (here the view is alone in its window).
    void linksByTheKeyboard()
    {
        OpenedUrls desktop;
        m_view->AppendHistory(chatRow(1, "see [URL]www.one.org[/URL]one[URL/] and [URL]two.org[/URL]two :)[URL/]"));
        m_view->AppendHistory(chatRow(2, "no link here"));
        m_view->AppendHistory(chatRow(3, "[URL]mailto:x@three.org[/URL]three[URL/]"));
        waitForFrame();
        m_view->activateWindow();
        m_view->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));

        QStringList walked;
        for (int press = 0; press < 3; ++press) {
            QTest::keyClick(m_view.get(), Qt::Key_Tab);
            QVERIFY(m_view->hasFocus());
            walked.append(m_view->selectedText());
        }
        QCOMPARE(walked, (QStringList{"one", "two ", "three"}));
        QTest::keyClick(m_view.get(), Qt::Key_Backtab);
        QCOMPARE(m_view->selectedText(), QStringLiteral("two "));
        QTest::keyClick(m_view.get(), Qt::Key_Return);
        QCOMPARE(desktop.urls, QList<QUrl>{QUrl(QStringLiteral("http://two.org"))});

        QTest::keyClick(m_view.get(), Qt::Key_Tab);
        QTest::keyClick(m_view.get(), Qt::Key_Tab);
        QVERIFY(m_view->selectedText().isEmpty());
    }

    // Pictures and bad input ----------------------------------------------------------------------

    void showsSmileysFromTheSmileFolder()
    {
        QTemporaryDir directory;
        QVERIFY(QDir(directory.path()).mkpath(QStringLiteral("smile/lol.gif")));
        QImage picture(16, 16, QImage::Format_RGB32);
        picture.fill(QColor(255, 0, 255));
        QVERIFY(picture.save(directory.filePath(QStringLiteral("smile/smile.gif")), "PNG"));
        setApplicationDirectory(directory.path());
        m_view->AppendHistory(chatRow(1, "hi :) :) and lol and :cool:"));
        waitForFrame();
        setApplicationDirectory(m_applicationDirectory.path());
        const QImage shown = m_view->viewport()->grab().toImage();
        QCOMPARE(countPixels(shown, qRgb(255, 0, 255)), 2 * 16 * 16);
    }

    // A message as large as a block can be, of each kind a sender can use to make rows costly: shown
    // whole and copied whole, with pictures and tags beyond the limit kept as typed.
    void showsHostileMessages_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("copied"); // what copying gives of the message
        constexpr int block = 64 * 1024 - 32;
        const int limit = MessageMarkup::pictureAndTagLimit;
        const QString words = QStringLiteral("word ").repeated(block / 5);
        QTest::newRow("plain text") << words << words;
        const QString longWord(block, u'x');
        QTest::newRow("one long word") << longWord << longWord;
        const QString smileys = QStringLiteral(":)").repeated(20000);
        QTest::newRow("20,000 smileys") << smileys << smileys.mid(2 * limit);
        const QString tags = QStringLiteral("[B]x").repeated(15000);
        QTest::newRow("15,000 bold tags") << tags << QString(limit, u'x') + tags.mid(4 * limit);
        const QString lol = QStringLiteral("lol").repeated(15000);
        QTest::newRow("15,000 lol pictures") << lol << lol.mid(3 * limit);
        QString merged;
        for (int i = 0; i < 1000; ++i)
            merged += QStringLiteral("Message bob:line %1 :)").arg(i);
        QString mergedCopy = merged;
        for (int i = 0; i < limit; ++i)
            mergedCopy.remove(mergedCopy.indexOf(QStringLiteral(":)")), 2);
        QTest::newRow("1,000 merged messages") << merged << mergedCopy;
    }
    void showsHostileMessages()
    {
        QFETCH(QString, typed);
        QFETCH(QString, copied);
        m_view->AppendHistory(chatRow(1, "before"));
        m_view->AppendHistory(chatRow(2, typed));
        m_view->AppendHistory(chatRow(3, "after"));
        waitForFrame();
        QCOMPARE(bar()->value(), bar()->maximum());
        QVERIFY(bar()->maximum() > 0);
        QVERIFY(!m_view->viewport()->grab().isNull());
        m_view->selectAll();
        QCOMPARE(m_view->selectedText(), QStringLiteral("[12:00:00] user1: before\n[12:00:00] user2: ") + copied
                                             + QStringLiteral("\n[12:00:00] user3: after"));
        // The long row on screen, selected from inside it: read from the row as laid out.
        QTest::keyClick(m_view.get(), Qt::Key_Home);
        QTest::keyClick(m_view.get(), Qt::Key_PageDown);
        waitForFrame();
        QTest::mousePress(m_view->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(m_view->viewport(), QPoint(200, 100));
        QTest::mouseRelease(m_view->viewport(), Qt::LeftButton, {}, QPoint(200, 100));
        QVERIFY(!m_view->selectedText().isEmpty());
        QVERIFY(!m_view->viewport()->grab().isNull());
    }

    void survivesBadInput_data()
    {
        QTest::addColumn<QString>("fragment");
        QString huge;
        for (int i = 0; huge.size() < 1024 * 1024; ++i)
            huge += QStringLiteral("word%1 <b>bold</b> ").arg(i);
        QTest::newRow("1 MB row") << chatRow(1, huge);
        QTest::newRow("1 MB fragment without a blank") << QString(1024 * 1024, u'x');
        QTest::newRow("unbalanced and unknown tags")
            << "<b><i>x</table></td><foo bar='1'>y<zz <table><tr><td><div><p>" + QString(3, u'<');
        QString smileys;
        for (int i = 0; i < 1000; ++i)
            smileys += QStringLiteral(":) ");
        QTest::newRow("a thousand smileys") << chatRow(1, smileys);
        QTest::newRow("picture path that is a folder") << "<img src='" + QDir::tempPath() + "' />";
        QTest::newRow("picture that is huge") << "<img src='/nowhere.gif' width='100000' height='100000' />";
    }
    void survivesBadInput()
    {
        QFETCH(QString, fragment);
        m_view->AppendHistory(chatRow(1, "before"));
        m_view->AppendHistory(fragment);
        m_view->AppendHistory(chatRow(2, "after"));
        waitForFrame();
        QVERIFY(!m_view->viewport()->grab().isNull());
        QCOMPARE(bar()->value(), bar()->maximum());
        QTest::keyClick(m_view.get(), Qt::Key_Home);
        QTest::keyClick(m_view.get(), Qt::Key_PageDown);
        QVERIFY(!m_view->viewport()->grab().isNull());
        m_view->selectAll();
        QVERIFY(m_view->selectedText().endsWith(QStringLiteral("[12:00:00] user2: after")));
    }

    // Printing ------------------------------------------------------------------------------------

    // Prints the page to a PDF as the window does, from the event loop; whether every row was printed.
    bool printTo(const QString &path)
    {
        auto printer = std::make_unique<QPrinter>();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(path);
        QSignalSpy finished(m_view->printPage(std::move(printer)), &TranscriptPrint::finished);
        return finished.wait(60000) && finished.at(0).at(0).toBool();
    }

    // Rows are printed a piece at a time: every row, in order, however the pieces and pages fall.
    void printsEveryRow()
    {
        QTemporaryDir directory;
        m_view->write(QStringLiteral("<div align='center'><span class='style1'>Welcome to Korvani ann</span></div><hr>"));
        for (int i = 0; i < 3; ++i)
            m_view->AppendHistory(chatRow(i, "[B]bold[/B] :) [URL]www.example.com[/URL]link[URL/]"));
        QVERIFY(printTo(directory.filePath(QStringLiteral("short.pdf"))));
        QCOMPARE(pdfPageCount(directory.filePath(QStringLiteral("short.pdf"))), 1);

        const int rows = std::max(700, 3 * TranscriptPrint::pieceRows + 17);
        for (int i = 3; i < rows; ++i)
            m_view->AppendHistory(chatRow(i, i % 50 == 0 ? QString(3000, u'w') + " wrapped" : QStringLiteral("hello")));
        QVERIFY(printTo(directory.filePath(QStringLiteral("long.pdf"))));
        const int pages = pdfPageCount(directory.filePath(QStringLiteral("long.pdf")));
        QVERIFY2(pages >= 10, qPrintable(QString::number(pages)));

        const QString text = pdfText(directory.filePath(QStringLiteral("long.pdf")));
        if (text.isNull())
            QSKIP("No PDF reader installed: checked the page count only");
        QVERIFY(text.startsWith(QStringLiteral("Welcome to Korvani ann")));
        qsizetype at = 0;
        for (int i = 0; i < rows; ++i) {
            const qsizetype found = text.indexOf(QStringLiteral("user%1: ").arg(i), at);
            QVERIFY2(found >= at, qPrintable(QString::number(i)));
            at = found;
        }
        QVERIFY2(text.contains(QStringLiteral("user2: bold link")), qPrintable(text.left(300)));
    }

    // Whatever a row holds is printed: letters of any script, and emoji in outline. The colour emoji
    // font has no outlines, and a PDF that embeds it shows its emoji blank.
    void printsAnyText()
    {
        QTemporaryDir directory;
        const QString path = directory.filePath(QStringLiteral("any.pdf"));
        const QString text = QStringLiteral("Za\u017C\u00F3\u0142\u0107 \U0001F600 \u2764 \u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC");
        m_view->AppendHistory(TranscriptRows::chatRow(QStringLiteral("12:00:00"), QStringLiteral("bob"), text));
        QVERIFY(printTo(path));
        if (QStandardPaths::findExecutable(QStringLiteral("pdffonts")).isEmpty())
            QSKIP("No PDF reader installed");
        QProcess fonts;
        fonts.start(QStringLiteral("pdffonts"), {path});
        QVERIFY(fonts.waitForFinished(60000));
        const QString embedded = QString::fromUtf8(fonts.readAllStandardOutput());
        QVERIFY2(!embedded.contains(QStringLiteral("NotoColorEmoji")), qPrintable(embedded));
        const QString printed = pdfText(path);
        for (const QString &word : {QStringLiteral("Za\u017C\u00F3\u0142\u0107"), QStringLiteral("\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC")})
            QVERIFY2(printed.contains(word), qPrintable(printed));
    }

    // A print cancelled, or one whose page is cleared, stops at once and leaves the view as it was:
    // rows are written and shown, and the next print prints them.
    void cancelledPrintStops_data()
    {
        QTest::addColumn<bool>("clearPage");
        QTest::newRow("cancelled") << false;
        QTest::newRow("page cleared") << true;
    }

    void cancelledPrintStops()
    {
        QFETCH(bool, clearPage);
        QTemporaryDir directory;
        for (int i = 0; i < 10 * TranscriptPrint::pieceRows; ++i)
            m_view->AppendHistory(chatRow(i));
        auto printer = std::make_unique<QPrinter>();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(directory.filePath(QStringLiteral("cancelled.pdf")));
        const QPointer<TranscriptPrint> print = m_view->printPage(std::move(printer));
        QSignalSpy progressed(print.get(), &TranscriptPrint::progressed);
        QSignalSpy finished(print.get(), &TranscriptPrint::finished);
        QVERIFY(progressed.wait());
        if (clearPage) {
            m_view->clearPage();
            m_view->WritePageHead();
        } else {
            print->cancel();
        }
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        const qsizetype piecesPrinted = progressed.count();
        QTRY_VERIFY(print.isNull());
        QCOMPARE(progressed.count(), piecesPrinted);

        m_view->AppendHistory(chatRow(1, QStringLiteral("after the print")));
        waitForFrame();
        QCOMPARE(bar()->value(), bar()->maximum());
        QVERIFY(printTo(directory.filePath(QStringLiteral("next.pdf"))));
        const QString text = pdfText(directory.filePath(QStringLiteral("next.pdf")));
        if (text.isNull())
            QSKIP("No PDF reader installed");
        QVERIFY(text.contains(QStringLiteral("user1: after the print")));
    }
};

QTEST_MAIN(tst_TranscriptView)
#include "tst_transcriptview.moc"
