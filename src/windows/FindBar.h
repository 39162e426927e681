#pragma once

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class TranscriptView;

// The bar under the conversation that finds text in it, as the user types. Ctrl+F anywhere in the
// window opens it; Enter or F3 go to the next match, Shift+Enter or Shift+F3 to the previous one;
// Escape closes it, and while it has the focus Escape does nothing else in the window.
class FindBar : public QWidget
{
    Q_OBJECT
public:
    // The longest text searched for: enough for any sentence, and a bound on a search's cost.
    static constexpr int longestText = 256;

    // Sits in view, hidden; its keys work in window.
    FindBar(TranscriptView *view, QWidget *window);

    void open();
    void close();

    QLineEdit *text() const { return m_text; }
    QCheckBox *matchCase() const { return m_matchCase; }
    // "3 of 17"; "17 matches" while none is current (they came after the page was cleared); "No
    // matches"; nothing while the text is empty.
    QString status() const;

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void search();
    void next();
    void previous();
    void showStatus();

    TranscriptView *m_view;
    QLineEdit *m_text;
    QCheckBox *m_matchCase;
    QLabel *m_status;
    QPointer<QWidget> m_focusBefore;
};
