#include "MessageNotices.h"

#include <QList>

namespace {

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c.isMark();
}

// Where pattern ends in text, each time it does: Knuth-Morris-Pratt, so a long name in a long
// message of repeated letters still costs one pass over each.
class Occurrences
{
public:
    explicit Occurrences(const QString &pattern)
        : m_pattern(pattern)
        , m_fallback(pattern.size(), 0)
    {
        qsizetype matched = 0;
        for (qsizetype i = 1; i < m_pattern.size(); ++i) {
            while (matched > 0 && m_pattern.at(i) != m_pattern.at(matched))
                matched = m_fallback.at(matched - 1);
            if (m_pattern.at(i) == m_pattern.at(matched))
                ++matched;
            m_fallback[i] = matched;
        }
    }

    // Calls found(start) for each occurrence until it returns true; true when one did.
    template <class Found>
    bool anyIn(const QString &text, Found found) const
    {
        qsizetype matched = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            while (matched > 0 && text.at(i) != m_pattern.at(matched))
                matched = m_fallback.at(matched - 1);
            if (text.at(i) == m_pattern.at(matched))
                ++matched;
            if (matched == m_pattern.size()) {
                if (found(i + 1 - matched))
                    return true;
                matched = m_fallback.at(matched - 1);
            }
        }
        return false;
    }

private:
    QString m_pattern;
    QList<qsizetype> m_fallback;
};

} // namespace

// Simple case folding keeps every character in its place, so positions in the folded text are
// positions in the message. A name's edge that is no word character (a name like "[ana]") needs
// no boundary beside it.
bool MessageNotices::namesUser(QStringView text, QStringView name)
{
    if (name.isEmpty() || name.size() > text.size())
        return false;
    const QString foldedText = text.toString().toCaseFolded();
    const QString foldedName = name.toString().toCaseFolded();
    const bool needsStart = isWordCharacter(foldedName.front());
    const bool needsEnd = isWordCharacter(foldedName.back());
    return Occurrences(foldedName).anyIn(foldedText, [&](qsizetype start) {
        const qsizetype end = start + foldedName.size();
        const bool startFree = !needsStart || start == 0 || !isWordCharacter(foldedText.at(start - 1));
        const bool endFree = !needsEnd || end == foldedText.size() || !isWordCharacter(foldedText.at(end));
        return startFree && endFree;
    });
}

std::optional<MessageNotices::Notice> MessageNotices::forPublic(const QString &sender, const QString &text,
                                                                const QString &ownName, bool windowActive)
{
    if (windowActive || sender == ownName || !namesUser(text, ownName))
        return std::nullopt;
    return Notice{sender + QStringLiteral(" named you"), text.simplified()};
}

std::optional<MessageNotices::Notice> MessageNotices::forPrivate(const QString &sender, const QString &text,
                                                                 const QString &ownName, bool windowActive)
{
    if (windowActive || sender == ownName)
        return std::nullopt;
    return Notice{QStringLiteral("Private message from ") + sender, text.simplified()};
}
