#include "OutputQueue.h"

#include "FramingBytes.h"

void OutputQueue::push(const QByteArray &message)
{
    enqueue({message, {}});
}

void OutputQueue::push(const SharedText &text)
{
    enqueue({text->bytes(m_encoding), text});
}

void OutputQueue::switchToFramed(const QByteArray &offer)
{
    if (m_framed)
        return;
    m_framed = true;
    m_switchDue = true;
    if (offer.isEmpty())
        return;
    m_firstMessages += offer;
    m_held = true;
}

void OutputQueue::release()
{
    m_held = false;
}

void OutputQueue::confirm(const QByteArray &confirmation, WireText::Encoding encoding)
{
    m_firstMessages += confirmation;
    m_held = false;
    if (encoding == m_encoding)
        return;
    m_encoding = encoding;
    for (Entry &entry : m_messages) {
        if (!entry.text)
            continue;
        m_queuedBytes -= entry.bytes.size();
        entry.bytes = entry.text->bytes(encoding);
        m_queuedBytes += entry.bytes.size();
    }
}

bool OutputQueue::isFramed() const
{
    return m_framed;
}

bool OutputQueue::isHeld() const
{
    return m_held;
}

bool OutputQueue::isEmpty() const
{
    return m_messages.isEmpty() && m_firstMessages.isEmpty() && !m_switchDue;
}

bool OutputQueue::hasWrite() const
{
    return m_switchDue || !m_firstMessages.isEmpty() || (!m_held && !m_messages.isEmpty());
}

qint64 OutputQueue::queuedBytes() const
{
    return m_queuedBytes;
}

QByteArray OutputQueue::takeWrite()
{
    if (m_framed)
        return takeFramedBatch();
    if (m_messages.isEmpty())
        return {};
    return dequeue().bytes;
}

bool OutputQueue::releaseBacklog()
{
    if (!m_messages.isEmpty() || m_messages.capacity() <= IdleCapacity)
        return false;
    m_messages = QQueue<Entry>();
    return true;
}

void OutputQueue::clear()
{
    m_messages.clear();
    m_firstMessages.clear();
    m_queuedBytes = 0;
    m_switchDue = false;
}

void OutputQueue::enqueue(Entry entry)
{
    m_queuedBytes += entry.bytes.size();
    m_messages.enqueue(std::move(entry));
}

OutputQueue::Entry OutputQueue::dequeue()
{
    Entry entry = m_messages.dequeue();
    m_queuedBytes -= entry.bytes.size();
    return entry;
}

QByteArray OutputQueue::takeFramedBatch()
{
    QByteArray batch;
    if (std::exchange(m_switchDue, false))
        batch = FramingBytes::switchOver();
    for (const QByteArray &message : std::as_const(m_firstMessages))
        batch.append(message).append(FramingBytes::terminator);
    m_firstMessages.clear();
    if (m_held)
        return batch;
    qsizetype size = batch.size();
    qsizetype count = 0;
    for (; count < m_messages.size() && (count == 0 || size < BatchBytes); ++count)
        size += m_messages.at(count).bytes.size() + 1;
    batch.reserve(size);
    for (qsizetype i = 0; i < count; ++i)
        batch.append(dequeue().bytes).append(FramingBytes::terminator);
    return batch;
}
