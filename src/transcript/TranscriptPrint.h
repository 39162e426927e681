#pragma once

#include "PrintedPages.h"

#include <QObject>

#include <memory>

class QPrinter;
class RowDocuments;
class TranscriptDocument;
class TranscriptPage;

// One print of the page as it stood when it was asked for; rows written meanwhile are left out. It
// runs a piece at a time from the event loop, so the window answers throughout and the memory it
// takes is that of one piece: a few dozen rows are laid out, drawn onto the printer's pages and
// let go before the next. It ends by itself (finished) or when cancelled, and then deletes itself.
class TranscriptPrint : public QObject
{
    Q_OBJECT
public:
    // Rows in one piece, and the most of their source text: a piece is laid out in a few
    // milliseconds, and its pages are drawn one at a time.
    static constexpr int pieceRows = 25;
    static constexpr qsizetype pieceCharacters = 8 * 1024;

    TranscriptPrint(std::unique_ptr<QPrinter> printer, const TranscriptPage &page, RowDocuments &documents,
                    QObject *parent);
    ~TranscriptPrint() override;

    // How many of the page's fragments the print goes through; progressed() counts up to it.
    int fragmentCount() const { return m_end; }

public slots:
    // Stops the print; a printer drops what it was given.
    void cancel();

signals:
    void progressed(int fragmentsDone);
    // completed: every row was printed (false when cancelled or the printer could not be opened).
    void finished(bool completed);

private:
    void printNextStep();
    void layOutNextPiece();
    int pieceEnd() const;
    void end(bool completed);

    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<PrintedPages> m_pages;
    // The piece whose pages are being drawn.
    std::unique_ptr<TranscriptDocument> m_piece;
    const TranscriptPage &m_page;
    RowDocuments &m_documents;
    int m_next = 0;
    int m_end;
};
