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
    // Two names are the same user's when these are equal: full Unicode case folding.
    static QString comparisonKey(const QString &name);
    // A few words for the server's log.
    static QString describe(Problem problem);
};
