#pragma once

#include <QPlainTextEdit>

// A text box holding text that came from the server or another user: it shows the text as it came
// and copies it (Ctrl+C, the context menu, the mouse selection, a drag) with its control
// characters as U+FFFD.
class ReceivedTextEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    QMimeData *createMimeDataFromSelection() const override;
};
