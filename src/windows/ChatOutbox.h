#pragma once

#include <QString>

// The main window's connection as the private-message and prompt windows use it. They send only
// while it is open; otherwise the typed text stays where it is and the transcript says why, the
// same hint the input line gives. Production forwards to frmChat; a test installs its own.
class ChatOutbox
{
public:
    virtual ~ChatOutbox() = default;

    virtual bool isConnected() const;              // frmChat::isConnected
    virtual void sendText(const QString &message); // frmChat::sendText

    // Sends message and returns true while connected; otherwise sends nothing, writes the
    // "not connected" hint row into the transcript and returns false.
    bool sendIfConnected(const QString &message);

    static ChatOutbox &current();
    // Installs outbox (not owned) in place of the main window's; nullptr restores the main window's.
    static void setCurrent(ChatOutbox *outbox);
};
