#pragma once

#include <QByteArray>
#include <QString>

// Whole files for tests that check bytes on disk.
namespace TestFiles {

// Writes bytes as the whole file; false when it could not.
bool put(const QString &path, const QByteArray &bytes);
// The whole file, or nothing when it cannot be read.
QByteArray bytes(const QString &path);

} // namespace TestFiles
