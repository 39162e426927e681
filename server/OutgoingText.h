#pragma once

#include "net/WireText.h"

#include <QByteArray>
#include <QSharedPointer>
#include <QString>

#include <array>
#include <optional>

// One message the room sends, shared by the queues of all its recipients: encoded once per
// encoding, when the first recipient that reads that encoding takes it, however many do.
class OutgoingText
{
public:
    explicit OutgoingText(QString text);

    // The text's bytes in `encoding`. Text on this protocol never carries NUL (a framed client takes
    // it for the end of a message), so any NUL is left out.
    const QByteArray &bytes(WireText::Encoding encoding) const;

private:
    QString m_text;
    mutable std::array<std::optional<QByteArray>, 2> m_bytes;
};

using SharedText = QSharedPointer<const OutgoingText>;
