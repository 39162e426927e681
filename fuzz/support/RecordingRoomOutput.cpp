#include "RecordingRoomOutput.h"

#include "FuzzInput.h"

void RecordingRoomOutput::send(const QList<ClientId> &recipients, const QString &message)
{
    const QSet<ClientId> distinct(recipients.cbegin(), recipients.cend());
    fuzzCheck(distinct.size() == recipients.size(), "one message sent twice to the same connection", message.toUtf8());
    fuzzCheck(!distinct.intersects(closed), "a message sent to a closed connection", message.toUtf8());
    sent.append({recipients, message});
}

void RecordingRoomOutput::closeWhenSent(ClientId client)
{
    fuzzCheck(!closed.contains(client), "a connection closed twice");
    closed.insert(client);
}

void RecordingRoomOutput::log(ClientId, const QString &)
{
}
