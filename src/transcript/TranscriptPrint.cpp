#include "TranscriptPrint.h"

#include "RowDocuments.h"
#include "TranscriptDocument.h"
#include "TranscriptPage.h"

#include <QPrinter>
#include <QTimer>

TranscriptPrint::TranscriptPrint(std::unique_ptr<QPrinter> printer, const TranscriptPage &page,
                                 RowDocuments &documents, QObject *parent)
    : QObject(parent)
    , m_printer(std::move(printer))
    , m_pages(std::make_unique<PrintedPages>(m_printer.get()))
    , m_page(page)
    , m_documents(documents)
    , m_end(page.fragmentCount())
{
    QTimer::singleShot(0, this, &TranscriptPrint::printNextStep);
}

// The pages end before the printer goes.
TranscriptPrint::~TranscriptPrint()
{
    m_pages.reset();
}

void TranscriptPrint::cancel()
{
    if (!m_pages)
        return;
    m_pages->abort();
    end(false);
}

// One step at each turn of the event loop: a piece laid out, or one page of it drawn.
void TranscriptPrint::printNextStep()
{
    if (!m_pages)
        return;
    if (!m_pages->isActive()) {
        end(false);
        return;
    }
    if (m_piece && m_pages->drawPage()) {
        QTimer::singleShot(0, this, &TranscriptPrint::printNextStep);
        return;
    }
    if (m_piece) {
        m_piece.reset();
        emit progressed(m_next);
        if (m_next >= m_end) {
            end(true);
            return;
        }
    }
    layOutNextPiece();
    QTimer::singleShot(0, this, &TranscriptPrint::printNextStep);
}

void TranscriptPrint::layOutNextPiece()
{
    const int pieceEnd = this->pieceEnd();
    m_piece = m_documents.printDocument(m_page, m_next, pieceEnd);
    m_pages->append(*m_piece);
    m_next = pieceEnd;
}

int TranscriptPrint::pieceEnd() const
{
    int end = m_next;
    qsizetype characters = 0;
    for (int rows = 0; end < m_end && rows < pieceRows && characters < pieceCharacters; ++end) {
        if (!m_page.isRow(end))
            continue;
        ++rows;
        characters += m_page.fragment(end).size();
    }
    return end;
}

void TranscriptPrint::end(bool completed)
{
    m_pages.reset();
    m_piece.reset();
    emit finished(completed);
    deleteLater();
}
