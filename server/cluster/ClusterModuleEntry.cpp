// The entry point of the module korvani-cluster (see ClusterModule.h).

#include "ClusterModule.h"
#include "NatsRoomLink.h"

#include <type_traits>

extern "C" Q_DECL_EXPORT RoomLink *korvaniCreateClusterLink(const QStringList &urls, RoomLinkEvents *events,
                                                            const ClusterModule::Log &log, QString *error)
{
    return NatsRoomLink::create(urls, events, log, error);
}

static_assert(std::is_same_v<decltype(&korvaniCreateClusterLink), ClusterModule::CreateLink>);
