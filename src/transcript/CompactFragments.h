#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <utility>

// Texts appended one after another and kept in one compact block: UTF-8, with the opening and
// closing that most rows share (a frame) stored as one byte, and a folder path the texts repeat
// (the smileys' folder) stored as one byte each time. A text that UTF-8 cannot hold exactly (a lone
// surrogate) is kept as UTF-16. Reading a text back gives exactly the text appended.
class CompactFragments
{
public:
    using Frame = std::pair<QString, QString>; // opening, closing

    // frames: at most 127, tried in order; folder: a text to store as one byte, or empty.
    explicit CompactFragments(QList<Frame> frames = {}, QString folder = {});

    void append(QStringView text);
    // An entry that holds no text at all (not even an empty one).
    void appendAbsent();
    void clear();

    int count() const { return int(m_ends.size()); }
    bool isAbsent(int index) const { return begin(index) == m_ends.at(index); }
    QString at(int index) const;
    // The text without its frame (the whole text when it has none).
    QString inner(int index) const;

private:
    qint64 begin(int index) const { return index == 0 ? 0 : m_ends.at(index - 1); }
    QByteArrayView bytes(int index) const;
    int frameOf(QStringView text) const;
    void appendUtf8(QStringView text);
    QString decode(QByteArrayView payload, bool utf16) const;

    QList<Frame> m_frames;
    QString m_folder;
    QByteArray m_bytes;
    QList<qint64> m_ends;
};
