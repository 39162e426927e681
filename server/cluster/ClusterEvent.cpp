#include "ClusterEvent.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
constexpr int KindCount = int(ClusterEvent::Kind::Motd) + 1;

// How many fields each kind carries; -1: any number (a roster).
int fieldCount(ClusterEvent::Kind kind)
{
    switch (kind) {
    case ClusterEvent::Kind::Hello:
        return 0;
    case ClusterEvent::Kind::Roster:
        return -1;
    case ClusterEvent::Kind::Joined:
    case ClusterEvent::Kind::Left:
    case ClusterEvent::Kind::Motd:
        return 1;
    case ClusterEvent::Kind::Kicked:
    case ClusterEvent::Kind::Message:
        return 2;
    case ClusterEvent::Kind::PrivateMessage:
        return 3;
    }
    return 0;
}
}

QByteArray ClusterEvent::encode() const
{
    return QJsonDocument(QJsonObject{{QStringLiteral("node"), node},
                                     {QStringLiteral("seq"), QString::number(sequence)},
                                     {QStringLiteral("kind"), int(kind)},
                                     {QStringLiteral("fields"), QJsonArray::fromStringList(fields)}})
        .toJson(QJsonDocument::Compact);
}

bool ClusterEvent::decode(const QByteArray &data, ClusterEvent *event)
{
    const QJsonObject object = QJsonDocument::fromJson(data).object();
    const int kind = object.value(QStringLiteral("kind")).toInt(-1);
    bool sequenceOk = false;
    event->sequence = object.value(QStringLiteral("seq")).toString().toULongLong(&sequenceOk);
    event->node = object.value(QStringLiteral("node")).toString();
    if (!sequenceOk || event->node.isEmpty() || kind < 0 || kind >= KindCount)
        return false;
    event->kind = Kind(kind);
    event->fields.clear();
    for (const QJsonValue &field : object.value(QStringLiteral("fields")).toArray()) {
        if (!field.isString())
            return false;
        event->fields += field.toString();
    }
    const int expected = fieldCount(event->kind);
    return expected < 0 || event->fields.size() == expected;
}
