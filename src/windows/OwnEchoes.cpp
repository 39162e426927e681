#include "OwnEchoes.h"

#include "CodePageLoss.h"

#include "net/Windows1250.h"

void OwnEchoes::sent(const QString &text)
{
    const QString echo = Windows1250::decode(Windows1250::encode(text));
    if (echo == text || text.size() > MaxCharacters)
        return;
    m_sent.append({echo, CodePageLoss::withLossMarked(text)});
    m_characters += echo.size();
    while (m_sent.size() > MaxMessages || m_characters > MaxCharacters) {
        m_characters -= m_sent.first().echo.size();
        m_sent.removeFirst();
    }
}

QString OwnEchoes::shown(const QString &sender, const QString &ownName, const QString &text)
{
    if (m_sent.isEmpty() || sender != ownName)
        return text;
    for (qsizetype at = 0; at < m_sent.size(); ++at) {
        if (m_sent.at(at).echo != text)
            continue;
        const QString marked = m_sent.at(at).marked;
        for (qsizetype gone = 0; gone <= at; ++gone)
            m_characters -= m_sent.at(gone).echo.size();
        m_sent.remove(0, at + 1);
        return marked;
    }
    return text;
}

void OwnEchoes::clear()
{
    m_sent.clear();
    m_characters = 0;
}
