#pragma once

#include <QString>

// Which names may sign on. Whether a name is already taken is the room's business; these are the
// rules a name must meet on its own, and the form in which two names count as the same.
//
// A name is one nobody can fake: every client can show and address it (it is writable in
// Windows-1250), it has one form (NFC), and it holds nothing invisible, so what a user sees is the
// whole name.
class UserNameRules
{
public:
    enum class Problem { None, Empty, TooLong, ForbiddenCharacter, NotNormalized, NotInCodePage, BlankAtEnd, InUse };

    static constexpr qsizetype MaxLength = 32;

    static Problem check(const QString &name);
    // Two names are the same user's when these are equal: full Unicode case folding. Qt folds one
    // character to one (simple folding); of the characters a name may hold, only ß folds to more
    // than one under full folding: "Straße" and "STRASSE" are the same name. Inline, so the room's
    // cluster module keys names the same way without linking the rules.
    static QString comparisonKey(const QString &name)
    {
        return name.toCaseFolded().replace(QChar(0x00DF), QLatin1String("ss"));
    }
    // A few words for the server's log.
    static QString describe(Problem problem);
};
