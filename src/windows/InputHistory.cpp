#include "InputHistory.h"

void InputHistory::add(const QString &line)
{
    const bool repeated = !m_lines.isEmpty() && m_lines.constLast() == line;
    if (!line.isEmpty() && !repeated && line.size() <= characterBound) {
        m_lines.append(line);
        m_characters += line.size();
        while (m_lines.size() > capacity || m_characters > characterBound)
            dropOldest();
    }
    m_edits.clear();
    m_position = int(m_lines.size());
}

void InputHistory::dropOldest()
{
    m_characters -= m_lines.constFirst().size();
    m_lines.removeFirst();
}

std::optional<QString> InputHistory::older(const QString &shown)
{
    if (m_position == 0)
        return std::nullopt;
    return stepTo(m_position - 1, shown);
}

std::optional<QString> InputHistory::newer(const QString &shown)
{
    if (m_position >= m_lines.size())
        return std::nullopt;
    return stepTo(m_position + 1, shown);
}

std::optional<QString> InputHistory::stepTo(int position, const QString &shown)
{
    const bool isDraft = m_position == m_lines.size();
    if (isDraft || shown != m_lines.at(m_position))
        m_edits.insert(m_position, shown);
    else
        m_edits.remove(m_position);
    m_position = position;
    const auto edited = m_edits.constFind(position);
    if (edited != m_edits.cend())
        return *edited;
    return position == m_lines.size() ? QString() : m_lines.at(position);
}

InputHistory &InputHistory::publicMessages()
{
    static InputHistory history;
    return history;
}

InputHistory &InputHistory::privateMessages()
{
    static InputHistory history;
    return history;
}

InputHistory &InputHistory::promptCommands()
{
    static InputHistory history;
    return history;
}
