#include "GlyphReach.h"

#include <QFontMetricsF>
#include <QRawFont>
#include <QTextBlock>
#include <QTextDocument>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace {

// The font's 'head' table: units per em at byte 18, the box around all glyphs (xMin, yMin, xMax,
// yMax) from byte 36, each a big-endian 16-bit number.
struct GlyphBox
{
    int unitsPerEm = 0;
    int yMin = 0;
    int yMax = 0;
};

GlyphBox glyphBoxOf(const QRawFont &font)
{
    const QByteArray head = font.fontTable("head");
    if (head.size() < 44)
        return {};
    const auto *bytes = reinterpret_cast<const uchar *>(head.constData());
    return {qFromBigEndian<quint16>(bytes + 18), qFromBigEndian<qint16>(bytes + 38), qFromBigEndian<qint16>(bytes + 42)};
}

int measuredReach(const QFont &font)
{
    const QRawFont raw = QRawFont::fromFont(font);
    const GlyphBox box = glyphBoxOf(raw);
    // A font without the table: a whole line either way is more than any glyph reaches.
    if (!raw.isValid() || box.unitsPerEm <= 0)
        return int(std::ceil(QFontMetricsF(font).height()));
    const qreal scale = raw.pixelSize() / box.unitsPerEm;
    const qreal above = box.yMax * scale - raw.ascent();
    const qreal below = -box.yMin * scale - raw.descent();
    // One pixel more for the edge the smoothing of glyphs draws.
    return int(std::ceil(std::max({above, below, qreal(0)}))) + 1;
}

} // namespace

int GlyphReach::of(const QFont &font)
{
    const QString key = font.key();
    const auto known = m_byFont.constFind(key);
    if (known != m_byFont.cend())
        return *known;
    if (m_byFont.size() >= keptFonts)
        m_byFont.clear();
    const int reach = measuredReach(font);
    m_byFont.insert(key, reach);
    return reach;
}

int GlyphReach::of(const QTextDocument &document)
{
    const QFont base = document.defaultFont();
    int reach = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto piece = block.begin(); !piece.atEnd(); ++piece)
            reach = std::max(reach, of(piece.fragment().charFormat().font().resolve(base)));
    }
    return reach;
}
