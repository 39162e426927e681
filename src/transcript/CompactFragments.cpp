#include "CompactFragments.h"

#include <cstring>

namespace {
// The first byte of an entry: the frame's number (0: none) and whether UTF-16 follows.
constexpr char utf16Flag = char(0x80);
// Never part of UTF-8: stands for the folder.
constexpr char folderMark = char(0xff);
} // namespace

CompactFragments::CompactFragments(QList<Frame> frames, QString folder)
    : m_frames(std::move(frames)), m_folder(std::move(folder))
{
    Q_ASSERT(m_frames.size() < 128);
}

void CompactFragments::append(QStringView text)
{
    const int frame = frameOf(text);
    if (frame > 0) {
        const Frame &used = m_frames.at(frame - 1);
        text = text.mid(used.first.size(), text.size() - used.first.size() - used.second.size());
    }
    if (text.isValidUtf16()) {
        m_bytes.append(char(frame));
        appendUtf8(text);
    } else {
        m_bytes.append(char(frame) | utf16Flag);
        m_bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * qsizetype(sizeof(char16_t)));
    }
    m_ends.append(m_bytes.size());
}

void CompactFragments::appendAbsent()
{
    m_ends.append(m_bytes.size());
}

void CompactFragments::clear()
{
    m_bytes.clear();
    m_bytes.squeeze();
    m_ends.clear();
    m_ends.squeeze();
}

int CompactFragments::frameOf(QStringView text) const
{
    for (int i = 0; i < m_frames.size(); ++i) {
        const Frame &frame = m_frames.at(i);
        if (text.size() >= frame.first.size() + frame.second.size() && text.startsWith(frame.first)
            && text.endsWith(frame.second))
            return i + 1;
    }
    return 0;
}

void CompactFragments::appendUtf8(QStringView text)
{
    if (m_folder.isEmpty()) {
        m_bytes.append(text.toUtf8());
        return;
    }
    qsizetype done = 0;
    for (qsizetype found = text.indexOf(m_folder); found >= 0; found = text.indexOf(m_folder, done)) {
        m_bytes.append(text.mid(done, found - done).toUtf8());
        m_bytes.append(folderMark);
        done = found + m_folder.size();
    }
    m_bytes.append(text.mid(done).toUtf8());
}

QByteArrayView CompactFragments::bytes(int index) const
{
    return QByteArrayView(m_bytes).sliced(begin(index), m_ends.at(index) - begin(index));
}

QString CompactFragments::decode(QByteArrayView payload, bool utf16) const
{
    if (utf16) {
        // The payload need not be aligned for char16_t.
        QString text(payload.size() / qsizetype(sizeof(char16_t)), Qt::Uninitialized);
        std::memcpy(text.data(), payload.data(), size_t(text.size()) * sizeof(char16_t));
        return text;
    }
    QString text;
    qsizetype done = 0;
    for (qsizetype mark = payload.indexOf(folderMark); mark >= 0; mark = payload.indexOf(folderMark, done)) {
        text += QString::fromUtf8(payload.sliced(done, mark - done));
        text += m_folder;
        done = mark + 1;
    }
    if (done == 0)
        return QString::fromUtf8(payload);
    return text + QString::fromUtf8(payload.sliced(done));
}

QString CompactFragments::inner(int index) const
{
    const QByteArrayView entry = bytes(index);
    if (entry.isEmpty())
        return QString();
    return decode(entry.sliced(1), (entry.front() & utf16Flag) != 0);
}

QString CompactFragments::at(int index) const
{
    const QByteArrayView entry = bytes(index);
    if (entry.isEmpty())
        return QString();
    const int frame = entry.front() & ~utf16Flag;
    const QString text = decode(entry.sliced(1), (entry.front() & utf16Flag) != 0);
    if (frame == 0)
        return text;
    const Frame &used = m_frames.at(frame - 1);
    return used.first + text + used.second;
}
