#pragma once

#include <QString>

// The folder a server's logs go to, made from the address the user typed: one plain name inside
// the logs folder, whatever the address holds. Separators, dots that would climb out ("..") or
// hide the folder, control characters and blanks become "_"; letters are folded to lower case, as
// host names are; a long address is cut and given a hash of the whole, so two long addresses that
// share their start still get folders of their own.
class LogFolderName
{
public:
    // Characters kept from the address before the hash takes over.
    static constexpr int MaxKept = 64;

    static QString forServer(const QString &server);
};
