#pragma once

#include <QByteArray>
#include <QByteArrayList>

#include <cstddef>
#include <cstdint>
#include <cstdio>

// One fuzz input. Targets that need several strings (a block and an answer, a section, a key and a
// value) read them as fields separated by NUL bytes, so a dictionary word or a seed stays readable.
class FuzzInput
{
public:
    FuzzInput(const uint8_t *data, size_t size);

    const QByteArray &bytes() const { return m_bytes; }
    // The NUL-separated fields; always at least one.
    const QByteArrayList &fields() const { return m_fields; }
    // Field `index`, or an empty array past the last one.
    QByteArray field(qsizetype index) const;
    // Every field from `index` on, joined again with their NULs.
    QByteArray rest(qsizetype index) const;

private:
    QByteArray m_bytes;
    QByteArrayList m_fields;
};

// Ends the run with a report libFuzzer counts as a finding, and the replay test as a failure.
[[noreturn]] void fuzzFailure(const char *what, const QByteArray &detail = QByteArray());

inline void fuzzCheck(bool holds, const char *what, const QByteArray &detail = QByteArray())
{
    if (!holds)
        fuzzFailure(what, detail);
}
