#pragma once

#include <QString>

// What the status check needs from the main chat window.
class ConnectionStatusView
{
public:
    virtual ~ConnectionStatusView() = default;

    // The two panels of the status bar.
    virtual void setStatusPanels(const QString &first, const QString &second) = 0;
    // A modal box with an OK button only; returns when it is closed.
    virtual void showNotConnectedBox(const QString &text, const QString &title) = 0;
    // Hides the chat window, shows the sign-on window and stops the status timer.
    virtual void returnToSignon() = 0;
};
