#include "PendingMessages.h"

#include <algorithm>
#include <utility>

void PendingMessages::sentPublic(const QString &text, qint64 endOffset)
{
    add(Message{QString(), text, endOffset});
}

void PendingMessages::sentPrivate(const QString &recipient, const QString &text, qint64 endOffset)
{
    add(Message{recipient, text, endOffset});
}

void PendingMessages::relayed(const QString &text)
{
    const auto isPublic = [](const Message &message) { return !message.isPrivate(); };
    const auto matching = std::find_if(m_messages.cbegin(), m_messages.cend(), [&](const Message &message) {
        return isPublic(message) && message.text == text;
    });
    const auto carried = matching != m_messages.cend() ? matching
                                                        : std::find_if(m_messages.cbegin(), m_messages.cend(), isPublic);
    if (carried != m_messages.cend())
        forgetFirst(carried - m_messages.cbegin() + 1);
}

void PendingMessages::acknowledged(qint64 offset)
{
    m_messages.removeIf([&](const Message &message) {
        const bool carried = message.isPrivate() && message.endOffset <= offset;
        if (carried)
            m_characters -= message.text.size();
        return carried;
    });
}

void PendingMessages::clear()
{
    m_messages.clear();
    m_characters = 0;
}

QList<PendingMessages::Message> PendingMessages::takeAll()
{
    m_characters = 0;
    return std::exchange(m_messages, {});
}

void PendingMessages::add(Message message)
{
    m_characters += message.text.size();
    m_messages.append(std::move(message));
    // The newest stays whatever its size: it is the one the user may want back.
    qsizetype excess = 0;
    qsizetype characters = m_characters;
    while (excess < m_messages.size() - 1
           && (m_messages.size() - excess > MaxMessages || characters > MaxCharacters)) {
        characters -= m_messages.at(excess).text.size();
        ++excess;
    }
    forgetFirst(excess);
}

void PendingMessages::forgetFirst(qsizetype count)
{
    for (qsizetype index = 0; index < count; ++index)
        m_characters -= m_messages.at(index).text.size();
    m_messages.remove(0, count);
}
