#pragma once

#include <QtGlobal>

// The memory of this process as the kernel counts it (/proc/self/status).
namespace OwnMemory {

// A field such as "VmRSS:" or "VmHWM:" in kilobytes; 0 where the kernel gives none.
qint64 statusKilobytes(const char *field);
// Starts the peak (VmHWM) again from the present resident size.
void resetPeak();

} // namespace OwnMemory
