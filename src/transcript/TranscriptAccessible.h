#pragma once

#include <QAccessibleWidget>

class TranscriptView;

// The conversation as assistive technology sees it: read-only text of many lines, one line per
// row, named by the view's accessible name.
class TranscriptAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit TranscriptAccessible(TranscriptView *view);

    // Makes every TranscriptView present itself this way; once is enough.
    static void install();

    QAccessible::State state() const override;
    QString text(QAccessible::Text kind) const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    // The text interface: the text itself, no caret, no selection of its own, no geometry.
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

private:
    const QString &pageText() const;
};
