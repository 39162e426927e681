#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

// The window "Chat - Prompt": sends one raw command to the server, exactly as typed, and stays
// open for the next. Shown by the main window's "Prompt" in prompt mode; the close box unloads it.
class frmPrompt : public QWidget
{
    Q_OBJECT
public:
    frmPrompt();

    QLineEdit *txtPrompt;
    QPushButton *cmdSend; // "Send"

    // "Prompt " + the text. Empty text sends nothing; while not connected nothing is sent, the
    // text stays and the transcript shows the hint. Enter in txtPrompt does the same.
    void cmdSend_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
};
