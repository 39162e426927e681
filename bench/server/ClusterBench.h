#pragma once

#include "SideBySide.h"

#include <QHostAddress>

// One room on three korvani-server processes sharing it through a cluster of three nats-server
// processes, against one korvani-server holding the same users: the users spread over the three,
// each sending at a steady rate; deliveries a second, latency, lost or repeated messages and the
// processor time of every process per delivery. The korvani-servers listen on `first` and the two
// addresses after it, the NATS servers on the three after those.
namespace ClusterBench {

// False when a message was lost or delivered twice.
bool run(const QString &serverProgram, const QHostAddress &first, quint16 port, const SideBySide::RateRun &run);

} // namespace ClusterBench
