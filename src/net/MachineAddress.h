#pragma once

#include <QString>

// This machine's address as a user would give it to someone else: the first IPv4 address of an
// interface that is up and not the loopback one.
class MachineAddress
{
public:
    // "" when the machine has no such address.
    static QString firstIPv4();
};
