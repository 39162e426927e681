#include "HistoryKeys.h"

#include "InputHistory.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

HistoryKeys::HistoryKeys(QObject *control, InputHistory &history, Control access)
    : QObject(control)
    , m_history(history)
    , m_control(std::move(access))
{
    control->installEventFilter(this);
}

void HistoryKeys::install(QPlainTextEdit *edit, InputHistory &history)
{
    new HistoryKeys(edit, history,
                    {[edit] { return edit->toPlainText(); },
                     [edit](const QString &text) {
                         edit->setPlainText(text);
                         edit->moveCursor(QTextCursor::End);
                     },
                     [edit](bool down) {
                         QTextCursor probe = edit->textCursor();
                         probe.clearSelection();
                         return !probe.movePosition(down ? QTextCursor::Down : QTextCursor::Up);
                     }});
}

void HistoryKeys::install(QLineEdit *edit, InputHistory &history)
{
    new HistoryKeys(edit, history,
                    {[edit] { return edit->text(); }, [edit](const QString &text) { edit->setText(text); },
                     [](bool) { return true; }});
}

bool HistoryKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress)
        return walk(*static_cast<QKeyEvent *>(event));
    return QObject::eventFilter(watched, event);
}

// A key that walks is used up, also at the end of the walk, where it changes nothing.
bool HistoryKeys::walk(const QKeyEvent &key)
{
    const bool up = key.key() == Qt::Key_Up;
    if ((!up && key.key() != Qt::Key_Down) || (key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    if (!m_control.atEdge(!up))
        return false;
    const std::optional<QString> line = up ? m_history.older(m_control.text()) : m_history.newer(m_control.text());
    if (line)
        m_control.show(*line);
    return true;
}
