#pragma once

#include <QList>
#include <QString>

// The own public messages that lost characters on a connection in Windows-1250, until the server
// sends each back. Sent, a lost character is "?", and two of them make the question smiley; shown
// back, each is U+FFFD instead, while a "?" the user typed stays one (and "??" typed stays the
// smiley). Other users' "?" cannot be told apart and are shown as they come.
class OwnEchoes
{
public:
    // Messages kept at most, and their characters: the oldest go first.
    static constexpr qsizetype MaxMessages = 16;
    static constexpr qsizetype MaxCharacters = 1024 * 1024;

    // text went out in Windows-1250; kept only when something of it was lost.
    void sent(const QString &text);
    // The text a public message from ownName shows: the kept message whose echo it is, with its
    // lost characters marked; any other text as it came. Messages sent before the matched one are
    // not coming back (the server cut or dropped them) and are forgotten.
    QString shown(const QString &sender, const QString &ownName, const QString &text);
    void clear();

private:
    struct Sent
    {
        QString echo;   // as the server sends it back
        QString marked; // as it is shown
    };
    QList<Sent> m_sent;
    qsizetype m_characters = 0;
};
