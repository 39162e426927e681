#include "ClientInput.h"

#include "FramingBytes.h"

void ClientInput::offer()
{
    if (m_state == State::Unframed)
        m_state = State::Offered;
}

bool ClientInput::append(const QByteArray &read)
{
    switch (m_state) {
    case State::Unframed:
        if (fitsAsBlock(read.size()))
            pushMessage(read);
        break;
    case State::Offered:
        appendOffered(read);
        break;
    case State::Framed:
        appendFramed(read);
        break;
    case State::Broken:
        break;
    }
    return m_state != State::Broken;
}

bool ClientInput::takeMessage(QByteArray *message)
{
    if (m_messages.isEmpty())
        return false;
    *message = m_messages.dequeue();
    return true;
}

bool ClientInput::isFramed() const
{
    return m_state == State::Framed;
}

QString ClientInput::error() const
{
    return m_error;
}

void ClientInput::appendOffered(const QByteArray &read)
{
    static const QByteArray switchOver = FramingBytes::switchOver();
    // Only the unframed part of a read counts as a block: a switch may be followed at once by
    // framed messages of any total length.
    const qsizetype heldBefore = m_held.size();
    const QByteArray data = std::exchange(m_held, {}) + read;
    qsizetype from = 0;
    for (;;) {
        const qsizetype nul = data.indexOf(FramingBytes::terminator, from);
        if (!fitsAsBlock((nul < 0 ? data.size() : nul) - heldBefore))
            return;
        if (nul < 0) {
            pushMessage(QByteArrayView(data).sliced(from));
            return;
        }
        pushMessage(QByteArrayView(data).sliced(from, nul - from));
        const QByteArrayView rest = QByteArrayView(data).sliced(nul);
        if (rest.startsWith(switchOver)) {
            m_state = State::Framed;
            appendFramed(rest.sliced(switchOver.size()));
            return;
        }
        if (QByteArrayView(switchOver).startsWith(rest)) {
            m_held = rest.toByteArray();
            return;
        }
        // Not the switch: the NUL is dropped and the data stays unframed.
        from = nul + 1;
    }
}

void ClientInput::appendFramed(QByteArrayView bytes)
{
    qsizetype from = 0;
    for (qsizetype nul = bytes.indexOf(FramingBytes::terminator); nul >= 0;
         nul = bytes.indexOf(FramingBytes::terminator, from)) {
        const QByteArrayView end = bytes.sliced(from, nul - from);
        if (m_held.size() + end.size() > MaxMessageSize)
            break;
        pushMessage(m_held.isEmpty() ? end : QByteArrayView(m_held.append(end)));
        m_held.clear();
        from = nul + 1;
    }
    m_held.append(bytes.sliced(from));
    if (m_held.size() > MaxMessageSize) {
        m_held.clear();
        breakWith(QStringLiteral("received a framed message over %1 bytes").arg(MaxMessageSize));
    }
}

bool ClientInput::fitsAsBlock(qsizetype length)
{
    if (length <= MaxMessageSize)
        return true;
    breakWith(QStringLiteral("received a block over %1 bytes").arg(MaxMessageSize));
    return false;
}

void ClientInput::pushMessage(QByteArrayView message)
{
    // An empty read or frame carries nothing the room could act on.
    if (!message.isEmpty())
        m_messages.enqueue(message.toByteArray());
}

void ClientInput::breakWith(const QString &error)
{
    m_state = State::Broken;
    m_error = error;
}
