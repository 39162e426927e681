#pragma once

#include "windows/ChatOutbox.h"

#include <QStringList>

// The main window's connection as the windows that send see it: open or closed as the test says,
// and every message handed to it kept in order, as it would go on the wire.
class RecordingOutbox : public ChatOutbox
{
public:
    bool connected = true;
    QStringList sent;

    bool isConnected() const override { return connected; }
    void sendText(const QString &message) override { sent.append(message); }
};
