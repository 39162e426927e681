#pragma once

#include <sys/types.h>

// What another process costs, read from /proc: the CPU time of all its threads, and its memory as
// smaps_rollup counts it. Private is the pages no other process maps at the moment, so a library's
// clean pages count as private while no other program that uses it runs: on a machine where other
// Qt programs come and go it moves by megabytes. Private dirty (the heap, the copies written to)
// does not depend on other processes.
namespace ProcessUsage {

struct Memory
{
    double residentKiB = 0;
    double privateKiB = 0;
    double privateDirtyKiB = 0;
};

// user + system time in nanoseconds; -1 when the process is gone.
double cpuNs(pid_t pid);
Memory memory(pid_t pid);

} // namespace ProcessUsage
