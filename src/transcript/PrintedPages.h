#pragma once

#include <QFont>
#include <QList>
#include <QPainter>
#include <QRectF>

class QPrinter;
class QTextDocument;

// The pages of a printer, filled with documents one after another as if they were one: a document
// goes on where the one before it ended, a page ends before the first line that would not fit on it
// whole, and every page has the margins and the number at its foot a printed rich-text page has.
// So a long text can be printed a piece at a time, only one piece laid out at any moment.
class PrintedPages
{
public:
    explicit PrintedPages(QPrinter *printer);
    // Ends the printing: the last page is finished.
    ~PrintedPages();

    // False when the device could not be opened for printing.
    bool isActive() const { return m_painter.isActive(); }
    // Lays document out for the pages (their width, the device's resolution), to be drawn after
    // what was drawn before it. The document stays the caller's and must live until it is drawn.
    void append(QTextDocument &document);
    // Draws the appended document onto the current page, as much as fits, and starts the next page
    // where more follows. False once all of it is drawn.
    bool drawPage();
    // Stops the printing unfinished: a printer drops the job.
    void abort();
    int pagesBegun() const { return m_page; }

private:
    struct Line
    {
        qreal top;
        qreal bottom;
    };

    static QList<Line> linesOf(const QTextDocument &document);
    static qreal cutBefore(const QList<Line> &lines, qreal from, qreal limit);
    void draw(QTextDocument &document, qreal from, qreal to, bool wholeLines);
    void finishPage();
    void nextPage();

    QPrinter *m_device;
    QPainter m_painter;
    QRectF m_body;   // the area text goes into, in the device's coordinates
    qreal m_used = 0; // how much of the current page's body is filled
    QTextDocument *m_document = nullptr;
    QList<Line> m_lines;
    qreal m_drawnTo = 0; // how much of the document is drawn
    int m_page = 1;
    QFont m_numberFont; // the documents' own default font
};
