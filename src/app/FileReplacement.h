#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file's whole content, or leaves the file exactly as it was.
//
// The bytes go to a temporary file beside the target; every write, the flush to the disk and the
// close are checked before the temporary file is renamed over the target, and the rename is
// checked too. So a full disk, a size limit or a missing permission leaves the old file in place
// and is reported, and a process killed in the middle leaves at worst a temporary file, which the
// next replacement of the same target removes.
//
// Written with the system calls themselves: QSaveFile of Qt 6.4 reported a commit as done after
// its buffered write had failed with ENOSPC, and renamed the cut file over the settings.
class FileReplacement
{
public:
    // Replaces path's content with bytes. Returns false, with a sentence for the user in *error
    // when given, if the file was left as it was. A symbolic link is followed: its target is
    // replaced and the link stays. A file without write permission is not replaced.
    static bool replace(const QString &path, const QByteArray &bytes, QString *error = nullptr);

    // The file that a replacement of path replaces: a symbolic link's target.
    static QString target(const QString &path);

    // The name a temporary file of path gets; the part after its last "." identifies the writing
    // process, so a replacement never removes the file another running program is writing.
    static QString temporaryPrefix(const QString &path);
};
