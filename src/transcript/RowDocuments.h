#pragma once

#include "GlyphReach.h"
#include "ImageCache.h"
#include "PageHead.h"
#include "RowBuilder.h"
#include "TranscriptDocument.h"

#include <QFont>
#include <QString>

#include <memory>
#include <unordered_map>
#include <vector>

class TranscriptPage;

// The laid-out rows of the page, one small document each, kept for a bounded number of rows (the
// ones shown lately); any other row is parsed again from its source when it comes into view.
class RowDocuments
{
public:
    // How many rows stay laid out beyond those on screen.
    static constexpr int cachedRows = 160;

    // Rows take styleSheet's classes; text no class styles shows in the page's default font.
    void setStyle(const QString &styleSheet);
    // Re-wraps the kept rows at the new width.
    void setWidth(qreal width);
    qreal width() const { return m_width; }

    // The row laid out at the current width: kept, or parsed now and kept.
    TranscriptDocument *layout(int row, const QString &fragment);
    // The row if it is kept, else nullptr.
    TranscriptDocument *find(int row) const;
    // How far the glyphs of a kept row reach past its lines; 0 for a row not kept.
    int glyphReach(int row) const;
    void forget(int row);
    // Drops the rows used longest ago until at most max(cachedRows, keep) remain.
    void trim(int keep);
    void clear();

    // One fragment parsed into the one scratch document, valid until the next call: for reading
    // many rows without keeping them.
    const TranscriptDocument &parseInScratch(const QString &fragment);
    // The page's fragments from `from` up to `to` as one document, each row parsed on its own and
    // copied in, readied for a printer.
    std::unique_ptr<TranscriptDocument> printDocument(const TranscriptPage &page, int from, int to);

    ImageCache &images() { return m_images; }

private:
    // Documents of rows dropped lately, reused for the next rows laid out: a fresh document costs as
    // much again as the row it holds.
    static constexpr size_t spareDocuments = 64;

    std::unique_ptr<TranscriptDocument> newDocument();
    void drop(std::unique_ptr<TranscriptDocument> document);

    struct Entry
    {
        std::unique_ptr<TranscriptDocument> document;
        quint64 lastUse;
        int glyphReach;
    };

    ImageCache m_images;
    GlyphReach m_glyphReach;
    const QFont m_font = PageHead::defaultFont();
    std::unique_ptr<RowBuilder> m_builder = std::make_unique<RowBuilder>(QString(), m_font);
    QString m_styleSheet;
    qreal m_width = 0;
    std::unordered_map<int, Entry> m_rows;
    std::vector<std::unique_ptr<TranscriptDocument>> m_spare;
    std::unique_ptr<TranscriptDocument> m_scratch;
    quint64 m_uses = 0;
};
