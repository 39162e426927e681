#include "Windows1250.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <array>

namespace {

// The characters of bytes 0x80 to 0xFF; bytes below 0x80 are ASCII.
constexpr std::array<char16_t, 128> upperHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

constexpr char unmappable = '?';

struct ByteOf
{
    char16_t character;
    char byte;
};

// The upper half sorted by character, for a binary search per character of a long message.
const std::array<ByteOf, 128> &bytesByCharacter()
{
    static const std::array<ByteOf, 128> table = [] {
        std::array<ByteOf, 128> sorted{};
        for (std::size_t i = 0; i < upperHalf.size(); ++i)
            sorted[i] = {upperHalf[i], char(0x80 + i)};
        std::sort(sorted.begin(), sorted.end(),
                  [](const ByteOf &a, const ByteOf &b) { return a.character < b.character; });
        return sorted;
    }();
    return table;
}

// False when the code page lacks the character; surrogates are never in it.
bool toByte(char16_t character, char *byte)
{
    if (character < 0x80) {
        *byte = char(character);
        return true;
    }
    const auto &table = bytesByCharacter();
    const auto found = std::lower_bound(table.begin(), table.end(), character,
                                        [](const ByteOf &entry, char16_t wanted) { return entry.character < wanted; });
    if (found == table.end() || found->character != character)
        return false;
    *byte = found->byte;
    return true;
}

// Appends the characters when the code page holds every one of them; otherwise appends nothing.
bool appendWhole(QByteArray &bytes, QStringView characters)
{
    const qsizetype start = bytes.size();
    for (const QChar character : characters) {
        char byte = 0;
        if (!toByte(character.unicode(), &byte)) {
            bytes.truncate(start);
            return false;
        }
        bytes += byte;
    }
    return true;
}

// A letter with its combining marks composes into at most one character of the code page, and only
// from a few of them: longer clusters are not composed, so a hostile run of marks costs no more
// than its length.
constexpr qsizetype maxComposableCluster = 4;

// One character as the user sees it: in the code page as it is or composed (e + U+0301 is é),
// otherwise one "?".
void appendCluster(QByteArray &bytes, QStringView cluster)
{
    if (appendWhole(bytes, cluster))
        return;
    if (cluster.size() <= maxComposableCluster
        && appendWhole(bytes, cluster.toString().normalized(QString::NormalizationForm_C)))
        return;
    bytes += unmappable;
}

// Encodes `text` a cluster at a time from the cluster that holds `position` on; what comes before
// that cluster is in `bytes` already, a byte a character.
void appendClusters(QByteArray &bytes, const QString &text, qsizetype position)
{
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
    clusters.setPosition(position);
    qsizetype start = clusters.isAtBoundary() ? position : clusters.toPreviousBoundary();
    bytes.truncate(start);
    clusters.setPosition(start);
    for (qsizetype end = clusters.toNextBoundary(); end >= 0; start = end, end = clusters.toNextBoundary())
        appendCluster(bytes, QStringView(text).sliced(start, end - start));
}

} // namespace

QByteArray Windows1250::encode(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    // Byte for character while the code page holds them all, as it does for most messages; from the
    // first character it lacks on, by clusters.
    for (qsizetype i = 0; i < text.size(); ++i) {
        char byte = 0;
        if (toByte(text.at(i).unicode(), &byte)) {
            bytes += byte;
            continue;
        }
        appendClusters(bytes, text, i);
        break;
    }
    return bytes;
}

QString Windows1250::decode(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        *out++ = QChar(value < 0x80 ? char16_t(value) : upperHalf[value - 0x80]);
    }
    return text;
}
