#pragma once

#include "net/ConnectionStatusView.h"

#include <QStringList>

#include <functional>

// Records what the status check shows: "panels <first>|<second>", "box <text>|<title>", "signon".
class FakeStatusView : public ConnectionStatusView
{
public:
    QStringList log;
    // Runs while the box is open, as the timer and the socket would.
    std::function<void()> whileBoxOpen;

    void setStatusPanels(const QString &first, const QString &second) override
    {
        log << QStringLiteral("panels ") + first + QLatin1Char('|') + second;
    }

    void showNotConnectedBox(const QString &text, const QString &title) override
    {
        log << QStringLiteral("box ") + text + QLatin1Char('|') + title;
        if (whileBoxOpen)
            whileBoxOpen();
    }

    void returnToSignon() override { log << QStringLiteral("signon"); }
};
