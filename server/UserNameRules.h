#pragma once

#include <QString>

// Which names may sign on. Whether a name is already taken is the room's business; these are the
// rules a name must meet on its own.
class UserNameRules
{
public:
    enum class Problem { None, Empty, TooLong, ForbiddenCharacter, BlankAtEnd, InUse };

    static constexpr qsizetype MaxLength = 32;

    static Problem check(const QString &name);
    // A few words for the server's log.
    static QString describe(Problem problem);
};
