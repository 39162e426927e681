#include "ReceivedTextEdit.h"

#include "ClipboardText.h"

#include <QMimeData>
#include <QTextDocumentFragment>

QMimeData *ReceivedTextEdit::createMimeDataFromSelection() const
{
    auto *copied = new QMimeData;
    copied->setText(ClipboardText::withoutControls(textCursor().selection().toPlainText()));
    return copied;
}
