#include "ReceiveQueue.h"

#include "WireProtocol.h"

void ReceiveQueue::appendBlock(const ServerStreamReader::Block &block, WireText::Encoding encoding)
{
    m_bytes += block.bytes.size();
    if (!block.framed && endsWithUnframedBlock() && !WireProtocol::startsWithCommand(block.bytes)
        && m_entries.last().bytes.size() + block.bytes.size() <= MaxJoinedBytes) {
        m_entries.last().bytes.append(block.bytes);
        return;
    }
    m_bytes += EntryCost;
    m_entries.enqueue({Entry::Block, block.bytes, block.framed, encoding});
}

void ReceiveQueue::appendDrop()
{
    m_bytes += EntryCost;
    m_entries.enqueue({Entry::Drop, QByteArray(), false, WireText::Encoding::Windows1250});
}

ReceiveQueue::Entry ReceiveQueue::takeNext()
{
    Entry entry = m_entries.dequeue();
    m_bytes -= entry.bytes.size() + EntryCost;
    return entry;
}

bool ReceiveQueue::isEmpty() const
{
    return m_entries.isEmpty();
}

bool ReceiveQueue::isFull() const
{
    return m_bytes >= MaxBytes;
}

qsizetype ReceiveQueue::byteCount() const
{
    return m_bytes;
}

qsizetype ReceiveQueue::count() const
{
    return m_entries.size();
}

bool ReceiveQueue::endsWithUnframedBlock() const
{
    return !m_entries.isEmpty() && m_entries.last().kind == Entry::Block && !m_entries.last().framed;
}

void ReceiveQueue::forgetBlocks()
{
    m_entries.removeIf([](const Entry &entry) { return entry.kind == Entry::Block; });
    m_bytes = m_entries.size() * EntryCost;
}
