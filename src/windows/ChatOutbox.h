#pragma once

#include <QString>

// The main window's connection as every window that sends typed text uses it: the input line,
// the private-message and prompt windows. They send only while it is open; otherwise the typed
// text stays where it is and the transcript says why. Production forwards to frmChat; a test
// installs its own.
class ChatOutbox
{
public:
    virtual ~ChatOutbox() = default;

    virtual bool isConnected() const;              // frmChat::isConnected
    virtual void sendText(const QString &message); // frmChat::sendText

    // True while connected; otherwise writes the "not connected" hint row into the transcript.
    bool connectedOrHint();
    // Sends message and returns true while connected; otherwise sends nothing, writes the
    // "not connected" hint row into the transcript and returns false.
    bool sendIfConnected(const QString &message);

    static ChatOutbox &current();
    // Installs outbox (not owned) in place of the main window's; nullptr restores the main window's.
    static void setCurrent(ChatOutbox *outbox);
};
