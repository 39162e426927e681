#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The window "Private Message": writes to the one user named in lblUserPM. The user list's
// "Private Message" sets the recipient and shows the window (UserListMenu); it stays open after
// each message, and choosing another user readdresses it without touching the text typed so far.
// The close box unloads it, text and all.
class frmPM : public QWidget
{
    Q_OBJECT
public:
    frmPM();

    QLabel *Image2; // the background picture, stretched, behind all controls
    QLabel *Label2; // "Send to:"
    QLabel *lblUserPM; // the recipient, as the server names them; shown as plain text
    QPlainTextEdit *txtPM;
    QPushButton *cmdSendPM; // "Send PM", the default button

    // "PMMessage " + recipient + ":" + own name + "|" + text, as typed. Empty text sends nothing;
    // while not connected nothing is sent, the text stays and the transcript shows the hint.
    void cmdSendPM_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Enter in txtPM sends and never becomes a line break.
    bool txtPM_KeyPress(QKeyEvent *event);
};
