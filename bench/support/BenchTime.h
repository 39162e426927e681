#pragma once

// Time as the benchmarks that drive windows count it.
namespace BenchTime {

// CPU time of the whole process (every thread) in milliseconds.
double cpuMilliseconds();
// Runs the event loop for that long, so what a step left waiting (layout, painting) is done.
void runEventsFor(int milliseconds);

} // namespace BenchTime
