#pragma once

#include "modMain.h"

#include <QList>
#include <QString>

// The sign-on entries remembered in [UserSvr]: the user name, the server and whether to connect
// at once. Both the sign-on window and the options window read and write them.
struct SignOnSettings
{
    QString user;
    QString server;
    bool autoConnect = false;

    // The entries as Options.ini holds them now; missing ones read as "" and unticked.
    static SignOnSettings read();
    // The three values to write, in one replacement of the file, names and server trimmed.
    QList<modMain::IniValue> values() const;
};
