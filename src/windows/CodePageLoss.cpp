#include "CodePageLoss.h"

#include "net/Windows1250.h"

#include <bitset>

namespace {

// Which characters of the Basic Multilingual Plane the code page holds: what its 256 bytes decode
// to. Asked of it once: the input line asks for every character at every keystroke.
const std::bitset<0x10000> &heldByTheCodePage()
{
    static const std::bitset<0x10000> held = [] {
        QByteArray everyByte(256, Qt::Uninitialized);
        for (int byte = 0; byte < 256; ++byte)
            everyByte[byte] = char(byte);
        std::bitset<0x10000> characters;
        for (const QChar character : Windows1250::decode(everyByte))
            characters[character.unicode()] = true;
        return characters;
    }();
    return held;
}

// The character (one unit, or a surrogate pair) that starts at position.
qsizetype characterLength(const QString &text, qsizetype position)
{
    const bool pair = text.at(position).isHighSurrogate() && position + 1 < text.size()
                      && text.at(position + 1).isLowSurrogate();
    return pair ? 2 : 1;
}

} // namespace

bool CodePageLoss::isLost(QStringView character)
{
    // Nothing outside the Basic Multilingual Plane is in the code page.
    return character.size() != 1 || !heldByTheCodePage()[character.front().unicode()];
}

QList<CodePageLoss::Run> CodePageLoss::lostRuns(const QString &text, qsizetype maxRuns)
{
    QList<Run> runs;
    for (qsizetype position = 0; position < text.size();) {
        const qsizetype length = characterLength(text, position);
        if (isLost(QStringView(text).mid(position, length))) {
            if (!runs.isEmpty() && runs.last().position + runs.last().length == position)
                runs.last().length += length;
            else if (runs.size() < maxRuns)
                runs.append({position, length});
            else
                break;
        }
        position += length;
    }
    return runs;
}

QString CodePageLoss::lostCharacters(const QString &text, qsizetype maxCharacters)
{
    QString lost;
    qsizetype count = 0;
    for (const Run &run : lostRuns(text, maxCharacters)) {
        for (qsizetype position = run.position; position < run.position + run.length && count < maxCharacters;) {
            const qsizetype length = characterLength(text, position);
            const QStringView character = QStringView(text).mid(position, length);
            if (!lost.contains(character)) {
                lost += character;
                ++count;
            }
            position += length;
        }
    }
    return lost;
}

QString CodePageLoss::withLossMarked(const QString &text)
{
    QString marked;
    marked.reserve(text.size());
    for (qsizetype position = 0; position < text.size();) {
        const qsizetype length = characterLength(text, position);
        const QStringView character = QStringView(text).mid(position, length);
        if (isLost(character))
            marked += QChar::ReplacementCharacter;
        else
            marked += character;
        position += length;
    }
    return marked;
}
