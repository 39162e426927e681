#pragma once

#include "ChatLayout.h"

#include <QList>
#include <QPixmap>
#include <QWidget>

#include <functional>

class ComposeToolbar;
class InputLine;
class PanelStatusBar;
class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;
class TranscriptView;

// The main chat window: the transcript, the input line under its toolbar, the users signed on,
// the status bar, and the hidden menus. One instance per run (Form<frmChat>), created hidden by
// its first use, hidden and shown again but never unloaded; closing it ends the program.
// Other windows read and write its controls directly.
class frmChat : public QWidget
{
    Q_OBJECT
public:
    frmChat();

    // Controls. Back to front: style, style_userlist, users, then all the others.
    ComposeToolbar *Toolbar1;
    TranscriptView *txtHistory;
    InputLine *txtText;
    QListWidget *lstUsers;
    QLabel *users;          // "<n> Users"
    QLabel *style_userlist; // header picture of the user column
    QLabel *style;          // the skin, behind everything
    QList<QPixmap> stylelist; // the five skin pictures; picture n is stylelist[n - 1]
    PanelStatusBar *StatusBar1;
    QPushButton *cmdSend;  // hidden; enabled exactly while the input line holds text
    QPushButton *cmdClear; // hidden
    QLineEdit *txtUser;    // hidden; the own user name
    QTimer *tmrConnection; // the connection check, 1000 ms, disabled until sign-on

    // Hidden menus, shown only as context menus or reached by their shortcuts.
    QMenu *mnuFile;
    QAction *mnuDiscon;
    QAction *mnuOpt;
    QAction *mnuPrompt; // visible only in prompt mode
    QAction *spacer2;
    QAction *mnuExit;
    QMenu *mnuAbout0;
    QAction *mnuAAC;
    QMenu *mnu; // context menu of lstUsers
    QAction *mnuPM;
    QMenu *mnuHistory; // context menu of the transcript
    QAction *mnuClear;
    QAction *mnuPrint;

    void Form_Load();
    void Form_Resize();

    // The transcript. Every row of the program goes through AppendHistory.
    void AppendHistory(const QString &html);
    void AddText(const QString &text);
    void AddChat(const QString &user, const QString &text);
    void AddChatPM(const QString &user, const QString &text);
    void cmdClear_Click(); // empty the page, write its head and the welcome banner
    void mnuPrint_Click(); // the print dialog, then the page

    // The input line and its toolbar.
    void appendToInputLine(const QString &text);
    void txtText_Change();
    void cmdSend_Click(); // nothing while cmdSend is disabled; otherwise sendInputLine
    void Toolbar1_ButtonClick();

    void mnuDiscon_Click();
    void mnuOpt_Click();
    void mnuPrompt_Click();
    void mnuAAC_Click();
    void mnuExit_Click(); // leave, then end the program at once

    // The chat connection (wskClient) plugs in here; until it does, the window is never connected,
    // sends nothing, and the send after Enter is whatever sendInputLine holds.
    std::function<void()> sendInputLine;
    bool isConnected() const;
    void sendText(const QString &message);
    // "Leave " + own name while connected, given the time to go out. Every way out calls it first.
    void Leave();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void createControls();
    void createMenus();
    void applySkin(const QString &skinName);
    ChatLayout::Geometry layoutGeometry() const;
    void setLayoutGeometry(const ChatLayout::Geometry &geometry);
    static void showWindow(QWidget *window);

    QMenu *m_windowMenu; // the File and About commands, on a right click into the window's frame
};
