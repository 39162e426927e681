#include "FuzzInput.h"

#include <cstdlib>

FuzzInput::FuzzInput(const uint8_t *data, size_t size)
    : m_bytes(reinterpret_cast<const char *>(data), qsizetype(size))
    , m_fields(m_bytes.split('\0'))
{
}

QByteArray FuzzInput::field(qsizetype index) const
{
    return m_fields.value(index);
}

QByteArray FuzzInput::rest(qsizetype index) const
{
    return m_fields.mid(index).join('\0');
}

void fuzzFailure(const char *what, const QByteArray &detail)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    if (!detail.isEmpty())
        std::fprintf(stderr, "  %s\n", detail.left(2000).constData());
    std::fflush(stderr);
    std::abort();
}
