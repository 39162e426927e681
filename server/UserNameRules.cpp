#include "UserNameRules.h"

namespace {
// ":" and "|" separate the fields of "Message" and "PMMessage", so a name holding them could not
// be told apart from the text. U+FFFD stands for a byte that Windows-1250 leaves undefined: such
// a name could not be sent back as the bytes the user chose.
bool isForbidden(QChar character)
{
    return character == QLatin1Char(':') || character == QLatin1Char('|')
        || character.category() == QChar::Other_Control || character == QChar::ReplacementCharacter;
}
}

UserNameRules::Problem UserNameRules::check(const QString &name)
{
    if (name.isEmpty())
        return Problem::Empty;
    if (name.size() > MaxLength)
        return Problem::TooLong;
    for (const QChar character : name) {
        if (isForbidden(character))
            return Problem::ForbiddenCharacter;
    }
    if (name.front().isSpace() || name.back().isSpace())
        return Problem::BlankAtEnd;
    return Problem::None;
}

QString UserNameRules::describe(Problem problem)
{
    switch (problem) {
    case Problem::None:
        return QStringLiteral("accepted");
    case Problem::Empty:
        return QStringLiteral("empty");
    case Problem::TooLong:
        return QStringLiteral("longer than %1 characters").arg(MaxLength);
    case Problem::ForbiddenCharacter:
        return QStringLiteral("holds a forbidden character");
    case Problem::BlankAtEnd:
        return QStringLiteral("blank at an end");
    case Problem::InUse:
        return QStringLiteral("in use");
    }
    return {};
}
