#include "Windows1250.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
constexpr const char *codePage = "windows-1250";
}

QByteArray Windows1250::encode(const QString &text)
{
    // The encoder writes an unmappable character as 0x1A; encode one character at a time where
    // that happens so a real SUB character still survives.
    QStringEncoder encoder(codePage, QStringEncoder::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (!bytes.contains('\x1a'))
        return bytes;
    bytes.clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype length = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QStringView character = QStringView(text).mid(i, length);
        if (character == u"\x1a") {
            bytes += '\x1a';
        } else {
            const QByteArray encoded = encoder.encode(character);
            bytes += encoded == "\x1a" ? QByteArray("?") : encoded;
        }
        i += length - 1;
    }
    return bytes;
}

QString Windows1250::decode(const QByteArray &bytes)
{
    QStringDecoder decoder(codePage, QStringDecoder::Flag::Stateless);
    return decoder.decode(bytes);
}
