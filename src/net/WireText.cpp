#include "WireText.h"

#include "Windows1250.h"

QByteArray WireText::encode(const QString &text, Encoding encoding)
{
    return encoding == Encoding::Utf8 ? text.toUtf8() : Windows1250::encode(text);
}

QString WireText::decode(const QByteArray &bytes, Encoding encoding)
{
    return encoding == Encoding::Utf8 ? QString::fromUtf8(bytes) : Windows1250::decode(bytes);
}
