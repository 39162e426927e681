#include "InputLine.h"

#include "CodePageLoss.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>

InputLine::InputLine(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    // contentsChange comes before the changed text is laid out, so the new length already decides how
    // it wraps.
    connect(document(), &QTextDocument::contentsChange, this, &InputLine::fitWrapModeToLength);
    connect(document(), &QTextDocument::contentsChanged, this, &InputLine::markLostCharacters);
}

void InputLine::setMarksLostCharacters(bool marks)
{
    if (marks == m_marksLost)
        return;
    m_marksLost = marks;
    markLostCharacters();
}

void InputLine::markLostCharacters()
{
    if (!m_marksLost) {
        if (!extraSelections().isEmpty())
            setExtraSelections({});
        setToolTip(QString());
        return;
    }
    const QString typed = toPlainText();
    QTextCharFormat lost;
    lost.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    lost.setUnderlineColor(Qt::red);
    lost.setBackground(QColor(255, 220, 220));
    QList<QTextEdit::ExtraSelection> marks;
    for (const CodePageLoss::Run &run : CodePageLoss::lostRuns(typed, MaxMarks)) {
        QTextCursor cursor(document());
        cursor.setPosition(int(run.position));
        cursor.setPosition(int(run.position + run.length), QTextCursor::KeepAnchor);
        marks.append({cursor, lost});
    }
    setExtraSelections(marks);
    const QString named = marks.isEmpty() ? QString() : CodePageLoss::lostCharacters(typed, MaxNamedCharacters);
    setToolTip(named.isEmpty() ? QString()
                               : QStringLiteral("This server takes Windows-1250 only: these go out as \"?\": ") + named);
}

// Breaking a long word at a word boundary searches the rest of the paragraph for every line, which
// grows with the square of the length: a pasted megabyte without blanks would take a minute per
// keystroke. Past a few screens of text, lines break anywhere, which costs the same at any length.
void InputLine::fitWrapModeToLength()
{
    const QTextOption::WrapMode mode = document()->characterCount() > LongTextLength
                                           ? QTextOption::WrapAnywhere
                                           : QTextOption::WrapAtWordBoundaryOrAnywhere;
    if (wordWrapMode() != mode)
        setWordWrapMode(mode);
}

// A multi-line text box gives its line breaks as CR LF, and that is how pasted line breaks go on
// the wire.
QString InputLine::text() const
{
    return toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

void InputLine::setText(const QString &text)
{
    setPlainText(text);
}

bool InputLine::isEmpty() const
{
    return document()->isEmpty();
}

void InputLine::appendText(const QString &text)
{
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
}

void InputLine::wrapSelection(const QString &opening, const QString &closing)
{
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection()) {
        appendText(opening + closing);
        cursor.movePosition(QTextCursor::End);
        cursor.movePosition(QTextCursor::Left, QTextCursor::MoveAnchor, int(closing.size()));
        setTextCursor(cursor);
        return;
    }
    const bool backwards = cursor.position() < cursor.anchor();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    cursor.beginEditBlock();
    cursor.setPosition(end);
    cursor.insertText(closing);
    cursor.setPosition(start);
    cursor.insertText(opening);
    cursor.endEditBlock();
    const int innerStart = start + int(opening.size());
    const int innerEnd = end + int(opening.size());
    cursor.setPosition(backwards ? innerEnd : innerStart);
    cursor.setPosition(backwards ? innerStart : innerEnd, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

// Enter is the send key with or without Shift or Ctrl, so no line break can be typed; pasted text
// keeps its line breaks.
void InputLine::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        emit enterPressed();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}
