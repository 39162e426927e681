#pragma once

#include <QString>

class QWidget;
class TranscriptPage;

// Saving the conversation (Ctrl+S, "Save As..." in its menu): as a web page that shows it as the
// window does, or as plain text, by the file type. The file is replaced whole or left as it was;
// a failure is told in a box.
class ConversationSave
{
public:
    enum class Format { Html, PlainText };

    static const QString htmlType;
    static const QString textType;

    // A name ending in a suffix of either type is saved as that type; any other takes the type
    // chosen in the dialog, and its suffix.
    static Format formatFor(const QString &fileName, const QString &chosenType);
    static QString withSuffix(const QString &fileName, Format format);

    // Asks for the file and writes it; false when cancelled or not written.
    static bool run(QWidget *parent, const TranscriptPage &page);
};
