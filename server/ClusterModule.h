#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class RoomLink;
class RoomLinkEvents;

// The module korvani-cluster shares the room with other servers through NATS. A server on its own
// never loads it, so it neither needs the NATS library nor maps it.
namespace ClusterModule {

using Log = std::function<void(const QString &)>;
// The module's one entry point: a link joined to the NATS servers at `urls` that reports to
// `events`, or nullptr with *error.
using CreateLink = RoomLink *(*)(const QStringList &urls, RoomLinkEvents *events, const Log &log, QString *error);
inline constexpr char CreateLinkSymbol[] = "korvaniCreateClusterLink";

// Loads the module (beside the program, else where it is installed) and joins the room's NATS
// servers; nullptr with *error when either fails.
RoomLink *createLink(const QStringList &urls, RoomLinkEvents *events, const Log &log, QString *error);

} // namespace ClusterModule
