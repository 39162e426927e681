#pragma once

#include <sys/types.h>

// What another process costs, read from /proc: the CPU time of all its threads, and its memory as
// smaps_rollup counts it (resident, and private = the pages no other process shares).
namespace ProcessUsage {

struct Memory
{
    double residentKiB = 0;
    double privateKiB = 0;
};

// user + system time in nanoseconds; -1 when the process is gone.
double cpuNs(pid_t pid);
Memory memory(pid_t pid);

} // namespace ProcessUsage
