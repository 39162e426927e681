#include "ClientInput.h"

#include "FramingBytes.h"

namespace {
const QByteArray &switchOver()
{
    static const QByteArray bytes = FramingBytes::switchOver();
    return bytes;
}
}

void ClientInput::offer()
{
    if (m_state == State::Unframed)
        m_state = State::Offered;
}

bool ClientInput::append(const QByteArray &read)
{
    if (m_state == State::Broken || (m_state == State::Unframed && !fitsAsBlock(read.size())))
        return false;
    // An empty read carries nothing the room could act on.
    if (!read.isEmpty())
        m_reads.enqueue(read);
    return true;
}

bool ClientInput::takeMessage(QByteArray *message)
{
    switch (m_state) {
    case State::Unframed:
        return takeUnframed(message);
    case State::Offered:
        if (takeOffered(message))
            return true;
        return m_state == State::Framed && takeFramed(message);
    case State::Framed:
        return takeFramed(message);
    case State::Broken:
        break;
    }
    return false;
}

bool ClientInput::isFramed() const
{
    return m_state == State::Framed;
}

bool ClientInput::isBroken() const
{
    return m_state == State::Broken;
}

QString ClientInput::error() const
{
    return m_error;
}

bool ClientInput::takeUnframed(QByteArray *message)
{
    if (m_reads.isEmpty())
        return false;
    *message = m_reads.dequeue();
    return true;
}

bool ClientInput::takeOffered(QByteArray *message)
{
    while (m_state == State::Offered && !m_reads.isEmpty()) {
        const QByteArray &read = m_reads.head();
        const qsizetype nul = read.indexOf(FramingBytes::terminator, m_cut);
        // Only the unframed part of a read counts as a block: a switch may be followed at once by
        // framed messages of any total length.
        const qsizetype end = nul < 0 ? read.size() : nul;
        if (!fitsAsBlock(end - m_cut))
            return false;
        *message = read.sliced(m_cut, end - m_cut);
        if (nul < 0) {
            advance(end);
        } else {
            switch (matchSwitch(nul)) {
            case Match::Switch:
                advance(nul);
                skip(switchOver().size());
                m_state = State::Framed;
                break;
            case Match::NotSwitch:
                // The NUL is dropped and the data stays unframed.
                advance(nul + 1);
                break;
            case Match::Undecided:
                // The NUL and what follows wait for the next read.
                advance(nul);
                return !message->isEmpty();
            }
        }
        if (!message->isEmpty())
            return true;
    }
    return false;
}

ClientInput::Match ClientInput::matchSwitch(qsizetype nul) const
{
    const QByteArrayView expected(switchOver());
    qsizetype matched = 0;
    qsizetype from = nul;
    for (const QByteArray &read : m_reads) {
        const qsizetype length = std::min(read.size() - from, expected.size() - matched);
        if (QByteArrayView(read).sliced(from, length) != expected.sliced(matched, length))
            return Match::NotSwitch;
        matched += length;
        if (matched == expected.size())
            return Match::Switch;
        from = 0;
    }
    return Match::Undecided;
}

bool ClientInput::takeFramed(QByteArray *message)
{
    while (!m_reads.isEmpty()) {
        const QByteArray &read = m_reads.head();
        const qsizetype nul = read.indexOf(FramingBytes::terminator, m_cut);
        const qsizetype end = nul < 0 ? read.size() : nul;
        if (m_held.size() + end - m_cut > MaxMessageSize) {
            breakWith(QStringLiteral("received a framed message over %1 bytes").arg(MaxMessageSize));
            return false;
        }
        m_held.append(QByteArrayView(read).sliced(m_cut, end - m_cut));
        advance(nul < 0 ? end : nul + 1);
        // An empty frame carries nothing the room could act on.
        if (nul >= 0 && !m_held.isEmpty()) {
            *message = std::exchange(m_held, {});
            return true;
        }
    }
    return false;
}

void ClientInput::skip(qsizetype count)
{
    while (count > 0) {
        const qsizetype step = std::min(count, m_reads.head().size() - m_cut);
        count -= step;
        advance(m_cut + step);
    }
}

void ClientInput::advance(qsizetype to)
{
    m_cut = to;
    if (m_cut < m_reads.head().size())
        return;
    m_reads.dequeue();
    m_cut = 0;
}

bool ClientInput::fitsAsBlock(qsizetype length)
{
    if (length <= MaxMessageSize)
        return true;
    breakWith(QStringLiteral("received a block over %1 bytes").arg(MaxMessageSize));
    return false;
}

void ClientInput::breakWith(const QString &error)
{
    m_state = State::Broken;
    m_error = error;
    m_reads.clear();
    m_cut = 0;
    m_held.clear();
}
