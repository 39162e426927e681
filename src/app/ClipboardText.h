#pragma once

#include <QClipboard>
#include <QString>

// Text that leaves the program through the clipboard. Messages and names may hold control
// characters (escape, bell, delete, the C1 range, the bidirectional controls): pasted into a
// terminal or an editor they would act there instead of being read. They are copied as U+FFFD;
// tabs and line ends stay as they are.
class ClipboardText
{
public:
    static QString withoutControls(const QString &text);
    // Puts text, without its control characters, on the clipboard or the mouse selection.
    static void copy(const QString &text, QClipboard::Mode mode = QClipboard::Clipboard);
};
