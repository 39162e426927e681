#pragma once

#include "ChatLayout.h"
#include "OwnEchoes.h"
#include "UserListBox.h"

#include "net/ConnectionStatusView.h"
#include "net/PendingMessages.h"

#include <QWidget>

#include <memory>

class CertificatePrompt;
class ChatConnection;
class ChatLog;
class ChatWindowFrontEnd;
class ComposeToolbar;
class ConnectionStatus;
class Dispatcher;
class InputLine;
class PanelStatusBar;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class Reconnection;
class ScreenReaderNotice;
class TranscriptView;
class frmSysTray;

// The main chat window: the transcript, the input line under its toolbar, the users signed on,
// the status bar, and the hidden menus. One instance per run (Form<frmChat>), created hidden by
// its first use, hidden and shown again but never unloaded; closing it ends the program.
// Other windows read and write its controls directly.
//
// It owns the one connection to the chat server (wskClient): every block the server sends goes
// to DataParsing, the status timer checks the connection once a second, and every way out of
// the program first says "Leave " while connected.
class frmChat : public QWidget, private ConnectionStatusView
{
    Q_OBJECT
public:
    frmChat();
    ~frmChat() override;

    // The chat connection's own end while there is one, else the address others would reach this
    // machine at: what the options window shows as this machine's address.
    static QString localAddress();
    // The sign-on window's connect step: shows the window, takes userName as the own user name,
    // connects to server, captions the window, starts the status timer, empties the user list and
    // lets pending events run once. Both texts as typed.
    static void signOn(const QString &userName, const QString &server);

    // Controls. Back to front: style, style_userlist, users, then all the others.
    ComposeToolbar *Toolbar1;
    TranscriptView *txtHistory;
    InputLine *txtText;
    UserListBox *lstUsers;
    QLabel *users;          // "<n> Users"
    QLabel *style_userlist; // header picture of the user column
    QLabel *style;          // the skin, behind everything
    PanelStatusBar *StatusBar1;
    ScreenReaderNotice *notice; // says new rows to a screen reader
    QPushButton *cmdSend;  // hidden; enabled exactly while the input line holds text
    QPushButton *cmdClear; // hidden
    QLineEdit *txtUser;    // hidden; the own user name
    QTimer *tmrConnection; // the connection check, 1000 ms, disabled until sign-on
    ChatConnection *wskClient; // the connection to the chat server
    frmSysTray *m_frmSysTray = nullptr; // the tray icon, from load until the window closes

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
    QAction *mnuSave; // Ctrl+S: the conversation as a web page or as text

    void Form_Load();
    void Form_Resize();

    // The connection. Connect ends any earlier connection or attempt and starts one to address
    // on the chat port; the outcome shows on the next tick of tmrConnection.
    void Connect(const QString &address);
    void wskClient_Connect();
    void DataParsing(const QString &block); // one block from the server, whole
    // The server dropped the connection: the dropped row, then a row for each message of the
    // user's own it perhaps never delivered; the last of them goes back where it was typed.
    void wskClient_Close();
    void tmrConnection_Timer();

    // The transcript. Every row of the program goes through AppendHistory.
    void AppendHistory(const QString &html);
    void AddText(const QString &text);
    void AddChat(const QString &user, const QString &text);
    void AddChatPM(const QString &user, const QString &text);
    void cmdClear_Click(); // empty the page, write its head and the welcome banner
    void mnuPrint_Click(); // the print dialog, then the page
    void mnuSave_Click();  // the save dialog, then the file

    // The input line and its toolbar.
    void appendToInputLine(const QString &text);
    void txtText_Change();
    // Nothing while cmdSend is disabled; otherwise sends the line as a public message, or writes a
    // hint row. Not connected, the typed text stays for a later try.
    void cmdSend_Click();
    void Toolbar1_ButtonClick();

    void mnuDiscon_Click();
    void mnuOpt_Click();
    void mnuPrompt_Click();
    void mnuAAC_Click();
    void mnuExit_Click(); // leave, then end the program at once

    bool isConnected() const;
    // True once the server agreed to UTF-8: any text goes out whole; else what Windows-1250 cannot
    // hold goes out as "?".
    bool carriesUnicode() const;
    // Sends one message to the server; false, sending nothing, while not connected.
    bool sendText(const QString &message);
    // The private-message window sent text to recipient: it is watched until delivered.
    void privateMessageSent(const QString &recipient, const QString &text);
    // "Leave " + own name while connected, given at most a second to go out, then the connection
    // closes. Every way out calls it first.
    void Leave();
    // Closes the connection for good: a refused sign-on is not tried again.
    void closeConnection();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // ConnectionStatusView
    void setStatusPanels(const QString &first, const QString &second) override;
    void showNotConnectedBox(const QString &text, const QString &title) override;
    void returnToSignon() override;

    void createConnection();
    bool keepsReconnecting();
    void tellNextAttempt(int delayMs);
    void tellResumed();
    void logRow(const QString &html);
    void tellLoggingStopped(const QString &reason);
    // Forgets the messages the server's machine has acknowledged since the last look.
    void noteAcknowledged();
    void reportUndelivered();
    void sendPublicMessage();
    void showUserCount();
    void followCharacterSet();
    // Leave, take the tray icon away, stop the program: the end of every way out.
    void endProgram();
    void endIfStranded();
    void removeTrayIcon();

    void createControls();
    void createMenus();
    void applySkin(const QString &skinName);
    ChatLayout::Geometry layoutGeometry() const;
    void setLayoutGeometry(const ChatLayout::Geometry &geometry);
    static void showWindow(QWidget *window);

    QMenu *m_windowMenu; // the File and About commands, on a right click into the window's frame
    std::unique_ptr<ChatWindowFrontEnd> m_frontEnd;
    std::unique_ptr<Dispatcher> m_dispatcher;
    std::unique_ptr<ConnectionStatus> m_status;
    std::unique_ptr<CertificatePrompt> m_certificatePrompt;
    ChatLog *m_chatLog; // every row, while logging is on
    Reconnection *m_reconnection; // a lost connection tried again, while reconnecting is on
    PendingMessages m_pending;
    OwnEchoes m_ownEchoes;
};
