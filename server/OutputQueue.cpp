#include "OutputQueue.h"

#include "FramingBytes.h"

void OutputQueue::push(const QByteArray &message)
{
    m_messages.enqueue(message);
    m_queuedBytes += message.size();
}

void OutputQueue::switchToFramed()
{
    if (m_framed)
        return;
    m_framed = true;
    m_switchDue = true;
}

bool OutputQueue::isFramed() const
{
    return m_framed;
}

bool OutputQueue::isEmpty() const
{
    return m_messages.isEmpty() && !m_switchDue;
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
    const QByteArray message = m_messages.dequeue();
    m_queuedBytes -= message.size();
    return message;
}

bool OutputQueue::releaseBacklog()
{
    if (!m_messages.isEmpty() || m_messages.capacity() <= IdleCapacity)
        return false;
    m_messages = QQueue<QByteArray>();
    return true;
}

void OutputQueue::clear()
{
    m_messages.clear();
    m_queuedBytes = 0;
    m_switchDue = false;
}

QByteArray OutputQueue::takeFramedBatch()
{
    QByteArray batch;
    if (std::exchange(m_switchDue, false))
        batch = FramingBytes::switchOver();
    qsizetype size = batch.size();
    qsizetype count = 0;
    for (; count < m_messages.size() && (count == 0 || size < BatchBytes); ++count)
        size += m_messages.at(count).size() + 1;
    batch.reserve(size);
    for (qsizetype i = 0; i < count; ++i) {
        const QByteArray message = m_messages.dequeue();
        m_queuedBytes -= message.size();
        batch.append(message).append(FramingBytes::terminator);
    }
    return batch;
}
