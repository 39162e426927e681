#pragma once

#include "modMain.h"

#include <QList>

// The chat's optional behaviour, kept in [Chat]: logging every row to a file, trying a lost
// connection again, and desktop notifications of private messages and of messages that name the
// user. All are off when the file says nothing, so the program behaves as it always did until the
// user asks. Like the sound switch they take effect when the options are applied.
struct ChatFeatures
{
    bool logging = false;
    bool reconnect = false;
    bool notifications = false;

    // The entries as Options.ini holds them now; only "On" turns one on.
    static ChatFeatures read();
    // The three values to write, in one replacement of the file.
    QList<modMain::IniValue> values() const;

    // What the running program follows: read from Options.ini at the first use, then what the
    // options window last applied (or a test set).
    static const ChatFeatures &inForce();
    static void setInForce(const ChatFeatures &features);
};
