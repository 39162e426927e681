#pragma once

#include <QWidget>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

// The sign-on window "Login": user name, server address, whether to remember them and whether to
// connect by itself at start. Its connect step hands both fields to the chat window and unloads
// the window. Reached through Form<frmSignon>; Form_Load fills it from section [UserSvr].
//
// Enter presses "&Connect" (the default button), or the button that has the focus.
class frmSignon : public QWidget
{
    Q_OBJECT
public:
    // Opens the chat window and starts its connection: shows frmChat, makes userName the own user
    // name, calls Connect with server, sets the caption, enables the status timer, empties the user
    // list and lets pending events run once. Both texts come as typed, blanks included.
    // The connect step calls it after checking both fields are filled and before it saves the
    // settings; with none installed the connect step only saves and unloads.
    using HandOver = std::function<void(const QString &userName, const QString &server)>;
    static void setHandOver(HandOver handOver);

    frmSignon();

    void Form_Load();
    void cmdConnect_Click();
    void cmdCancel_Click();
    void Timer_Timer();

    QLabel *picBanner;
    QGroupBox *Frame1;
    QLabel *Label2;
    QLineEdit *txtUser;
    QLabel *Label1;
    QLineEdit *txtSvrIp;
    QCheckBox *chkUS;
    QCheckBox *chkAC;
    QLabel *lblVersion;
    QLabel *status;
    QPushButton *cmdCancel;
    QPushButton *cmdConnect;
    QTimer *Timer;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createControls();
    void applyColours();
    void setFocusOrder();
    void saveSignOn();

    static HandOver &handOver();

    // The connect step lets events run; a second press (the timer, a double click) must not start
    // a second connection meanwhile.
    bool m_connecting = false;
};
