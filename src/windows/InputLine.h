#pragma once

#include <QList>
#include <QPlainTextEdit>
#include <QTextEdit>

// The main window's input line (txtText): several lines with a vertical scroll bar, sent with
// Enter. Enter never enters the text; it is reported by enterPressed() instead.
class InputLine : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit InputLine(QWidget *parent = nullptr);

    // The text with every line break as CR LF.
    QString text() const;
    void setText(const QString &text);
    bool isEmpty() const;

    // Adds text at the very end, with no blank or line break before it; the caret stays where the
    // user left it. Cheap on a long line: nothing already there is read or laid out again.
    void appendText(const QString &text);
    // Puts opening and closing around the selected text, which stays selected. With nothing
    // selected they go at the very end, as appendText puts them, and the caret between them.
    void wrapSelection(const QString &opening, const QString &closing);

    // While on, every character the connection's code page cannot carry (it would go out as "?")
    // is marked where it stands, and the tool tip names them, before anything is sent.
    void setMarksLostCharacters(bool marks);
    bool marksLostCharacters() const { return m_marksLost; }
    // The marked runs, as a text cursor counts.
    QList<QTextEdit::ExtraSelection> lostCharacterMarks() const { return extraSelections(); }

signals:
    void enterPressed();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    static constexpr int LongTextLength = 8192;
    // Marks drawn at most: each costs the drawing a little, and a pasted megabyte may hold a lost
    // character every other place.
    static constexpr int MaxMarks = 1000;
    static constexpr int MaxNamedCharacters = 20;
    void fitWrapModeToLength();
    void markLostCharacters();

    bool m_marksLost = false;
};
