#pragma once

#include <QObject>

#include <functional>

class InputHistory;
class QKeyEvent;
class QLineEdit;
class QPlainTextEdit;

// Up and Down in an input control walk its history. In a control of several lines they first move
// the caret as usual: Up recalls an older line only where the caret is on the first line already,
// Down a newer one only on the last line. A recalled line comes with the caret at its end.
// Shift, Ctrl or Alt with the arrows keep their editing meaning.
class HistoryKeys : public QObject
{
    Q_OBJECT
public:
    // The history (not owned) outlives the control.
    static void install(QPlainTextEdit *edit, InputHistory &history);
    static void install(QLineEdit *edit, InputHistory &history);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Control
    {
        std::function<QString()> text;
        std::function<void(const QString &)> show;
        // Whether the caret can go no further up (false) or down (true) inside the text.
        std::function<bool(bool down)> atEdge;
    };

    HistoryKeys(QObject *control, InputHistory &history, Control access);
    bool walk(const QKeyEvent &key);

    InputHistory &m_history;
    Control m_control;
};
