#include "OutgoingText.h"

OutgoingText::OutgoingText(QString text)
    : m_text(std::move(text))
{
}

const QByteArray &OutgoingText::bytes(WireText::Encoding encoding) const
{
    std::optional<QByteArray> &bytes = m_bytes[std::size_t(encoding)];
    if (!bytes) {
        bytes = WireText::encode(m_text, encoding);
        if (bytes->contains('\0'))
            bytes->removeIf([](char byte) { return byte == '\0'; });
    }
    return *bytes;
}
