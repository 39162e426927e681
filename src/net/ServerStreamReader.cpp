#include "ServerStreamReader.h"

#include "Framing.h"

#include <utility>

void ServerStreamReader::read(QByteArrayView bytes, QList<Block> &blocks)
{
    qsizetype at = 0;
    while (at < bytes.size()) {
        if (m_state == State::Framed)
            at = readFramed(bytes, at, blocks);
        else if (m_inMarker)
            at = matchMarker(bytes, at);
        else
            at = readUnframed(bytes, at, blocks);
    }
    // Unframed, the end of a read is the only end a block has.
    if (m_state != State::Framed && !m_inMarker)
        endBlock(blocks, false);
}

void ServerStreamReader::finish(QList<Block> &blocks)
{
    if (m_state == State::Framed)
        endBlock(blocks, true);
}

bool ServerStreamReader::takeOffer()
{
    return std::exchange(m_offerRead, false);
}

bool ServerStreamReader::isFramed() const
{
    return m_state == State::Framed;
}

qsizetype ServerStreamReader::heldBytes() const
{
    return m_block.size() + m_matched;
}

qsizetype ServerStreamReader::readUnframed(QByteArrayView bytes, qsizetype from, QList<Block> &blocks)
{
    const qsizetype nul = bytes.indexOf(Framing::End, from);
    if (nul < 0) {
        m_block.append(bytes.sliced(from));
        return bytes.size();
    }
    m_block.append(bytes.sliced(from, nul - from));
    endBlock(blocks, false);
    m_inMarker = true;
    m_matched = 0;
    return nul + 1;
}

qsizetype ServerStreamReader::matchMarker(QByteArrayView bytes, qsizetype from)
{
    const QByteArrayView marker = expectedMarker();
    qsizetype at = from;
    while (at < bytes.size() && m_matched < marker.size() && bytes.at(at) == marker.at(m_matched)) {
        ++at;
        ++m_matched;
    }
    if (m_matched == marker.size()) {
        m_inMarker = false;
        m_matched = 0;
        if (m_state == State::AwaitingOffer) {
            m_state = State::AwaitingSwitch;
            m_offerRead = true;
        } else {
            m_state = State::Framed;
        }
        return at;
    }
    if (at < bytes.size()) {
        // No marker after all: the NUL goes, the bytes that looked like one are the next block's start.
        m_block = marker.first(m_matched).toByteArray();
        m_inMarker = false;
        m_matched = 0;
    }
    return at;
}

qsizetype ServerStreamReader::readFramed(QByteArrayView bytes, qsizetype from, QList<Block> &blocks)
{
    const qsizetype room = Framing::MaxMessageBytes - m_block.size();
    const QByteArrayView window = bytes.sliced(from, qMin(room, bytes.size() - from));
    const qsizetype nul = window.indexOf(Framing::End);
    if (nul >= 0) {
        m_block.append(window.first(nul));
        endBlock(blocks, true);
        return from + nul + 1;
    }
    m_block.append(window);
    if (m_block.size() == Framing::MaxMessageBytes)
        endBlock(blocks, true);
    return from + window.size();
}

void ServerStreamReader::endBlock(QList<Block> &blocks, bool framed)
{
    // Back-to-back NULs frame nothing; an empty read is no block.
    if (m_block.isEmpty())
        return;
    blocks.append({std::exchange(m_block, QByteArray()), framed});
}

QByteArrayView ServerStreamReader::expectedMarker() const
{
    const QByteArrayView marker = m_state == State::AwaitingOffer ? Framing::offer() : Framing::switchOver();
    return marker.sliced(1);
}
