#pragma once

#include <sys/resource.h>

// While it lives, the files of this process cannot grow past the given size, as on a full disk:
// a write past it fails (EFBIG) instead of killing the process with SIGXFSZ. Restores the limit
// and the signal's handling when it goes.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool isValid() const { return m_valid; }

private:
    rlimit m_before{};
    void (*m_handlerBefore)(int) = nullptr;
    bool m_valid = false;
};
