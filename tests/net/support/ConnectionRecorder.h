#pragma once

#include "net/ChatConnection.h"

#include <QStringList>

// A consumer that signs on like the main window and records, in order, what the connection hands
// out: each block, "<dispatched>" after its handlers, "<dropped>" for a drop by the server.
struct ConnectionRecorder
{
    explicit ConnectionRecorder(ChatConnection &connection, const QString &userName = QStringLiteral("ann"));

    // The events without the "<dispatched>" entries.
    QStringList blocks() const;

    QStringList events;
};
