#include "TranscriptAccessible.h"

#include "TranscriptView.h"

namespace {
QAccessibleInterface *transcriptInterface(const QString &className, QObject *object)
{
    if (className != QLatin1String(TranscriptView::staticMetaObject.className()))
        return nullptr;
    return new TranscriptAccessible(static_cast<TranscriptView *>(object));
}
} // namespace

TranscriptAccessible::TranscriptAccessible(TranscriptView *view)
    : QAccessibleWidget(view, QAccessible::EditableText)
{
}

void TranscriptAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(transcriptInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

const QString &TranscriptAccessible::pageText() const
{
    return static_cast<TranscriptView *>(widget())->pageText();
}

QAccessible::State TranscriptAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    return state;
}

QString TranscriptAccessible::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Value)
        return pageText();
    return QAccessibleWidget::text(kind);
}

void *TranscriptAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString TranscriptAccessible::text(int startOffset, int endOffset) const
{
    const QString &text = pageText();
    const int start = std::clamp(startOffset, 0, int(text.size()));
    const int end = endOffset < 0 ? int(text.size()) : std::clamp(endOffset, start, int(text.size()));
    return text.mid(start, end - start);
}

int TranscriptAccessible::characterCount() const
{
    return int(pageText().size());
}

// Reading starts where the newest row ends.
int TranscriptAccessible::cursorPosition() const
{
    return characterCount();
}

void TranscriptAccessible::setCursorPosition(int) {}

void TranscriptAccessible::selection(int, int *startOffset, int *endOffset) const
{
    *startOffset = 0;
    *endOffset = 0;
}

int TranscriptAccessible::selectionCount() const
{
    return 0;
}

void TranscriptAccessible::addSelection(int, int) {}
void TranscriptAccessible::removeSelection(int) {}
void TranscriptAccessible::setSelection(int, int, int) {}

QRect TranscriptAccessible::characterRect(int) const
{
    return QRect();
}

int TranscriptAccessible::offsetAtPoint(const QPoint &) const
{
    return -1;
}

void TranscriptAccessible::scrollToSubstring(int, int) {}

QString TranscriptAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    *startOffset = 0;
    *endOffset = std::max(offset, characterCount());
    return QString();
}
