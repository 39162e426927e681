#include "frmChat.h"

#include "ChatOutbox.h"
#include "ChatWindowFrontEnd.h"
#include "ComposeToolbar.h"
#include "ConversationSave.h"
#include "FindBar.h"
#include "HistoryKeys.h"
#include "InputHistory.h"
#include "InputLine.h"
#include "CertificatePrompt.h"
#include "PanelStatusBar.h"
#include "ScaledPicture.h"
#include "ScreenReaderNotice.h"
#include "SkinTable.h"
#include "UserListMenu.h"
#include "frmAbout.h"
#include "frmPM.h"
#include "frmPrompt.h"
#include "frmSignon.h"
#include "frmSmile.h"
#include "frmUrl.h"

#include "app/ChatFeatures.h"
#include "app/DecorativePicture.h"
#include "app/Dialogs.h"
#include "app/Form.h"
#include "app/PendingEvents.h"
#include "app/Pictures.h"
#include "app/Twips.h"
#include "app/modMain.h"
#include "net/ChatConnection.h"
#include "net/ConnectionStatus.h"
#include "net/Dispatcher.h"
#include "net/MachineAddress.h"
#include "net/Reconnection.h"
#include "net/WireProtocol.h"
#include "notify/ChatTrayMenu.h"
#include "notify/frmSysTray.h"
#include "options/OptionChoices.h"
#include "options/SoundEvents.h"
#include "options/frmOptions.h"
#include "transcript/ChatLog.h"
#include "transcript/ColourEmoji.h"
#include "transcript/MessageMarkup.h"
#include "transcript/RowText.h"
#include "transcript/TranscriptPrint.h"
#include "transcript/TranscriptRows.h"
#include "transcript/TranscriptView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QMenu>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

namespace {
// Toolbar and status bar are docked: they keep their height and follow the window's edges.
constexpr int ToolbarHeight = 435; // twips
constexpr int StatusBarHeight = 255;
// The picture behind the window before a skin is applied: the blue skin's.
constexpr int StoredBackgroundPicture = 1;

QFont fontOf(const QStringList &families, qreal pointSize, bool bold = false)
{
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}
} // namespace

frmChat::frmChat()
{
    createControls();
    createMenus();
    createConnection();
    resize(Twips::toPixels(ChatLayout::designedClientSize()));
    connect(qApp, &QGuiApplication::lastWindowClosed, this, &frmChat::endIfStranded);
}

frmChat::~frmChat()
{
    // Nothing the connection still has queued may reach a window that is going.
    wskClient->disconnect(this);
}

// Asking must not create the chat window.
QString frmChat::localAddress()
{
    const frmChat *chat = Form<frmChat>::loaded();
    const QString connected = chat ? chat->wskClient->localAddress() : QString();
    return connected.isEmpty() ? MachineAddress::firstIPv4() : connected;
}

void frmChat::signOn(const QString &userName, const QString &server)
{
    frmChat *chat = Form<frmChat>::get();
    // The caption first, so the window never appears without it.
    chat->setWindowTitle(QStringLiteral("Korvani 1.0 - (") + userName + QLatin1Char(')'));
    chat->show();
    chat->txtUser->setText(userName);
    chat->Connect(server);
    chat->tmrConnection->start();
    chat->lstUsers->clear();
    LetPendingEventsRun();
}

void frmChat::createConnection()
{
    wskClient = new ChatConnection(this);
    m_frontEnd = std::make_unique<ChatWindowFrontEnd>(*this);
    m_dispatcher = std::make_unique<Dispatcher>(*m_frontEnd);
    m_status = std::make_unique<ConnectionStatus>(*wskClient, static_cast<ConnectionStatusView &>(*this));
    m_certificatePrompt = std::make_unique<CertificatePrompt>(this);
    wskClient->setCertificateCheck(m_certificatePrompt.get());

    connect(wskClient, &ChatConnection::connected, this, &frmChat::wskClient_Connect);
    connect(wskClient, &ChatConnection::blockReceived, this, &frmChat::DataParsing);
    connect(wskClient, &ChatConnection::blockDispatched, this, &frmChat::showUserCount);
    connect(wskClient, &ChatConnection::blockDispatched, this, &frmChat::noteAcknowledged);
    connect(wskClient, &ChatConnection::blockDispatched, this, &frmChat::followCharacterSet);
    connect(wskClient, &ChatConnection::disconnectedByPeer, this, &frmChat::wskClient_Close);
    connect(tmrConnection, &QTimer::timeout, this, &frmChat::tmrConnection_Timer);

    m_reconnection = new Reconnection(*wskClient, ReconnectSchedule(), this);
    connect(m_reconnection, &Reconnection::attemptScheduled, this, &frmChat::tellNextAttempt);
    connect(m_reconnection, &Reconnection::resumed, this, &frmChat::tellResumed);

    m_chatLog = new ChatLog(this);
    connect(m_chatLog, &ChatLog::stopped, this, &frmChat::tellLoggingStopped);
}

// Created back to front, which is the order they are drawn in.
void frmChat::createControls()
{
    const ChatLayout::Geometry designed = ChatLayout::designed();

    // The stored background is the blue skin's picture; a skin name that selects nothing leaves it.
    style = new ScaledPicture(this);
    style->setPixmap(Pictures::forOneUse(SkinTable::picturePath(StoredBackgroundPicture)));

    style_userlist = new ScaledPicture(this);
    style_userlist->setPixmap(Pictures::forOneUse(QStringLiteral(":/pictures/userlist_header.png")));
    DecorativePicture::mark(style);
    DecorativePicture::mark(style_userlist);

    users = new QLabel(QStringLiteral("0 Users"), this);
    users->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    users->setFont(fontOf({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans")}, 9, true));

    Toolbar1 = new ComposeToolbar(this);
    connect(Toolbar1, &ComposeToolbar::ButtonClick, this, &frmChat::Toolbar1_ButtonClick);

    txtHistory = new TranscriptView(this);
    txtHistory->setAccessibleName(QStringLiteral("Conversation"));
    new FindBar(txtHistory, this);

    txtText = new InputLine(this);
    txtText->setFont(ColourEmoji::withFallback(fontOf({QStringLiteral("Times New Roman")}, 9.75)));
    connect(txtText, &InputLine::textChanged, this, &frmChat::txtText_Change);
    connect(txtText, &InputLine::enterPressed, this, &frmChat::cmdSend_Click);
    txtText->setAccessibleName(QStringLiteral("Message"));
    HistoryKeys::install(txtText, InputHistory::publicMessages());

    lstUsers = new UserListBox(this);
    lstUsers->setAccessibleName(QStringLiteral("Users"));

    StatusBar1 = new PanelStatusBar(this);
    StatusBar1->setPanelText(1, QStringLiteral("Connecting..."));
    notice = new ScreenReaderNotice(StatusBar1);

    cmdSend = new QPushButton(QStringLiteral("&Send"), this);
    cmdSend->hide();
    connect(cmdSend, &QPushButton::clicked, this, &frmChat::cmdSend_Click);
    cmdClear = new QPushButton(QStringLiteral("Command1"), this);
    cmdClear->hide();
    cmdClear->setGeometry(Twips::toPixels(QRect(4680, 4800, 435, 195)));
    connect(cmdClear, &QPushButton::clicked, this, &frmChat::cmdClear_Click);
    txtUser = new QLineEdit(this);
    txtUser->hide();
    txtUser->setGeometry(Twips::toPixels(QRect(2760, 5160, 1335, 285)));

    tmrConnection = new QTimer(this);
    tmrConnection->setInterval(1000);

    setLayoutGeometry(designed);
    setTabOrder(txtText, lstUsers);
    txtText->setFocus();
}

void frmChat::createMenus()
{
    auto item = [this](QMenu *menu, const QString &caption, void (frmChat::*handler)(),
                       const QKeySequence &shortcut = QKeySequence()) {
        QAction *action = menu->addAction(caption);
        action->setShortcut(shortcut);
        if (handler)
            connect(action, &QAction::triggered, this, handler);
        return action;
    };

    mnuFile = new QMenu(QStringLiteral("File"), this);
    mnuDiscon = item(mnuFile, QStringLiteral("Disconnect"), &frmChat::mnuDiscon_Click, Qt::CTRL | Qt::Key_D);
    mnuOpt = item(mnuFile, QStringLiteral("Options"), &frmChat::mnuOpt_Click, Qt::CTRL | Qt::Key_O);
    mnuPrompt = item(mnuFile, QStringLiteral("Prompt"), &frmChat::mnuPrompt_Click, Qt::CTRL | Qt::SHIFT | Qt::Key_P);
    mnuPrompt->setVisible(false);
    spacer2 = mnuFile->addSeparator();
    mnuExit = item(mnuFile, QStringLiteral("Exit"), &frmChat::mnuExit_Click, Qt::CTRL | Qt::Key_Q);

    mnuAbout0 = new QMenu(QStringLiteral("About"), this);
    mnuAAC = item(mnuAbout0, QStringLiteral("About Chat"), &frmChat::mnuAAC_Click, Qt::Key_F1);

    mnu = new QMenu(this);
    mnuPM = item(mnu, QStringLiteral("Private Message"), nullptr);

    mnuHistory = new QMenu(QStringLiteral("Menu"), this);
    mnuClear = item(mnuHistory, QStringLiteral("Clear"), &frmChat::cmdClear_Click);
    mnuPrint = item(mnuHistory, QStringLiteral("Print"), &frmChat::mnuPrint_Click, QKeySequence::Print);
    mnuSave = item(mnuHistory, QStringLiteral("Save As..."), &frmChat::mnuSave_Click, QKeySequence::Save);

    // The window has no menu bar: the File and About commands are offered by their shortcuts and
    // on a right click into the window's own area. A hidden action's shortcut does not fire, so
    // "Prompt" is reachable only in prompt mode.
    m_windowMenu = new QMenu(this);
    m_windowMenu->addActions({mnuDiscon, mnuOpt, mnuPrompt});
    m_windowMenu->addSeparator();
    m_windowMenu->addAction(mnuAAC);
    m_windowMenu->addSeparator();
    m_windowMenu->addAction(mnuExit);
    addActions({mnuDiscon, mnuOpt, mnuPrompt, mnuExit, mnuAAC, mnuPrint, mnuSave});
}

void frmChat::Form_Load()
{
    // 1. The tray icon lives until the window closes; its menu belongs to it.
    m_frmSysTray = new frmSysTray(this);
    new ChatTrayMenu(*m_frmSysTray, *this);

    // 2. The page and its head; mnuHistory takes the place of the view's own context menu.
    txtHistory->WritePageHead();
    connect(txtHistory, &TranscriptView::contextMenuRequested, this,
            [this](const QPoint &globalPosition) { mnuHistory->popup(globalPosition); });
    // Likewise mnu for the user list.
    UserListMenu::install(*this);

    // 3.
    if (modMain::PromptMode)
        mnuPrompt->setVisible(true);

    // 4.
    cmdSend->setEnabled(false);

    // 5. Read only here: a skin chosen later shows the next time the window loads.
    applySkin(OptionChoices::current().skinName());
}

void frmChat::applySkin(const QString &skinName)
{
    // Only the chosen picture is decoded; the blue one is on show already.
    const int picture = SkinTable::pictureFor(skinName);
    if (picture != SkinTable::KeepPicture && picture != StoredBackgroundPicture)
        style->setPixmap(Pictures::forOneUse(SkinTable::picturePath(picture)));
}

void frmChat::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Toolbar1->setGeometry(0, 0, width(), Twips::toPixels(ToolbarHeight));
    const int statusHeight = Twips::toPixels(StatusBarHeight);
    StatusBar1->setGeometry(0, height() - statusHeight, width(), statusHeight);
    Form_Resize();
}

void frmChat::Form_Resize()
{
    const QSize outer = ChatLayout::outerSize(Twips::fromPixels(size()));
    setLayoutGeometry(ChatLayout::apply(outer.width(), outer.height(), layoutGeometry()));
}

ChatLayout::Geometry frmChat::layoutGeometry() const
{
    ChatLayout::Geometry geometry;
    geometry.lstUsers = Twips::fromPixels(lstUsers->geometry());
    geometry.users = Twips::fromPixels(users->geometry());
    geometry.cmdSend = Twips::fromPixels(cmdSend->geometry());
    geometry.txtText = Twips::fromPixels(txtText->geometry());
    geometry.txtHistory = Twips::fromPixels(txtHistory->geometry());
    geometry.style = Twips::fromPixels(style->geometry());
    geometry.style_userlist = Twips::fromPixels(style_userlist->geometry());
    return geometry;
}

void frmChat::setLayoutGeometry(const ChatLayout::Geometry &geometry)
{
    lstUsers->setGeometry(Twips::toPixels(geometry.lstUsers));
    users->setGeometry(Twips::toPixels(geometry.users));
    cmdSend->setGeometry(Twips::toPixels(geometry.cmdSend));
    txtText->setGeometry(Twips::toPixels(geometry.txtText));
    txtHistory->setGeometry(Twips::toPixels(geometry.txtHistory));
    style->setGeometry(Twips::toPixels(geometry.style));
    style_userlist->setGeometry(Twips::toPixels(geometry.style_userlist));
}

void frmChat::AppendHistory(const QString &html)
{
    txtHistory->AppendHistory(html);
    logRow(html);
}

// The switch is asked at every row, so Apply turns logging on or off from the next row on.
void frmChat::logRow(const QString &html)
{
    m_chatLog->setEnabled(ChatFeatures::inForce().logging);
    m_chatLog->appendRow(QDateTime::currentDateTime(), html);
}

// The conversation goes on without its log; the row says so once, and why.
void frmChat::tellLoggingStopped(const QString &reason)
{
    AppendHistory(TranscriptRows::textRow(TranscriptRows::timeStamp(),
                                          QStringLiteral("  ~// Logging has stopped: ") + reason.toHtmlEscaped()));
}

void frmChat::AddText(const QString &text)
{
    AppendHistory(TranscriptRows::textRow(TranscriptRows::timeStamp(), text));
    SoundEvents::PlaySoundEvent(4);
}

void frmChat::AddChat(const QString &user, const QString &text)
{
    const QString shown = m_ownEchoes.shown(user, txtUser->text(), text);
    const QString html = MessageMarkup::ConvertMarkup(shown);
    AppendHistory(TranscriptRows::chatRow(TranscriptRows::timeStamp(), user, html));
    notice->speak(user + QStringLiteral(": ") + RowText::plainText(html));
}

void frmChat::AddChatPM(const QString &user, const QString &text)
{
    AppendHistory(TranscriptRows::pmRow(TranscriptRows::timeStamp(), user, text));
    notice->speak(QStringLiteral("Private message from %1: %2").arg(user, text));
    SoundEvents::PlaySoundEvent(4);
}

// Rows that arrive during the first yield land before the new head, those of the second after
// the banner.
void frmChat::cmdClear_Click()
{
    txtHistory->clearPage();
    LetPendingEventsRun();
    txtHistory->WritePageHead();
    txtHistory->write(TranscriptRows::clearedPageWelcomeRow(txtUser->text()));
    LetPendingEventsRun();
}

// The window goes on answering while the page prints; a long print shows how far it is and can be
// cancelled.
void frmChat::mnuPrint_Click()
{
    auto printer = std::make_unique<QPrinter>();
    if (!Dialogs::current().printDialog(this, printer.get()))
        return;
    TranscriptPrint *print = txtHistory->printPage(std::move(printer));
    auto *progress = new QProgressDialog(QStringLiteral("Printing..."), QStringLiteral("Cancel"), 0,
                                         print->fragmentCount(), this);
    progress->setWindowTitle(QStringLiteral("Print"));
    progress->setAutoReset(false);
    progress->setMinimumDuration(500);
    connect(print, &TranscriptPrint::progressed, progress, &QProgressDialog::setValue);
    connect(progress, &QProgressDialog::canceled, print, &TranscriptPrint::cancel);
    connect(print, &TranscriptPrint::finished, progress, &QObject::deleteLater);
}

void frmChat::mnuSave_Click()
{
    ConversationSave::run(this, txtHistory->page());
}

void frmChat::appendToInputLine(const QString &text)
{
    txtText->appendText(text);
}

// Any character, a blank included, makes the line worth sending.
void frmChat::txtText_Change()
{
    cmdSend->setEnabled(!txtText->isEmpty());
}

void frmChat::cmdSend_Click()
{
    if (!cmdSend->isEnabled())
        return;
    sendPublicMessage();
}

// Every button that is down does its action and comes up again; normally that is the one just
// clicked. Exit ends the program in the middle of the round.
void frmChat::Toolbar1_ButtonClick()
{
    for (int index : {1, 3, 4, 5, 6, 7, 8, 9, 11, 12}) {
        QAction *button = Toolbar1->button(index);
        if (!button->isChecked())
            continue;
        switch (index) {
        case 1: mnuOpt_Click(); break;
        case 3: txtText->wrapSelection(QStringLiteral("[B]"), QStringLiteral("[/B]")); break;
        case 4: txtText->wrapSelection(QStringLiteral("[U]"), QStringLiteral("[/U]")); break;
        case 5: txtText->wrapSelection(QStringLiteral("[I]"), QStringLiteral("[/I]")); break;
        case 6: showWindow(Form<frmSmile>::get()); break;
        case 7: appendToInputLine(QStringLiteral("[HR]")); break;
        case 8: showWindow(Form<frmUrl>::get()); break;
        case 9: mnuPrint_Click(); break;
        case 11: mnuAAC_Click(); break;
        case 12: mnuExit_Click(); return;
        }
        button->setChecked(false);
    }
}

void frmChat::showWindow(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

// The window stays as it is; the next tick of the status timer finds the connection gone.
void frmChat::mnuDiscon_Click()
{
    m_reconnection->stop();
    if (isConnected())
        sendText(WireProtocol::leave(txtUser->text()));
    LetPendingEventsRun();
    wskClient->close();
    LetPendingEventsRun();
}

void frmChat::mnuOpt_Click()
{
    showWindow(Form<frmOptions>::get());
}

void frmChat::mnuPrompt_Click()
{
    showWindow(Form<frmPrompt>::get());
}

void frmChat::mnuAAC_Click()
{
    showWindow(Form<frmAbout>::get());
}

void frmChat::mnuExit_Click()
{
    endProgram();
}

void frmChat::Connect(const QString &address)
{
    m_chatLog->setServer(address);
    m_reconnection->follow(address);
    m_pending.clear();
    m_ownEchoes.clear();
    txtText->setMarksLostCharacters(false);
    wskClient->connectToServer(address);
}

void frmChat::wskClient_Connect()
{
    sendText(WireProtocol::join(txtUser->text()));
}

void frmChat::DataParsing(const QString &block)
{
    const WireProtocol::Received received = WireProtocol::split(block);
    if (received.kind == WireProtocol::Command::Message && received.sender == txtUser->text())
        m_pending.relayed(received.text);
    m_dispatcher->DataParsing(block);
}

// The label keeps its count after a drop until a block arrives on a later connection.
void frmChat::showUserCount()
{
    users->setText(QString::number(lstUsers->count()) + QStringLiteral(" Users"));
}

// The server's greeting comes after it agreed (or not) to UTF-8, so from the first block on the
// input line knows what the connection carries.
void frmChat::followCharacterSet()
{
    txtText->setMarksLostCharacters(isConnected() && !carriesUnicode());
}

void frmChat::wskClient_Close()
{
    txtText->setMarksLostCharacters(false);
    m_dispatcher->connectionDropped();
    reportUndelivered();
}

// The rows go into this window's transcript, which the "not connected" box leaves in view and
// which is there again when the user signs on anew; the input line keeps the text until then.
void frmChat::reportUndelivered()
{
    noteAcknowledged();
    const QList<PendingMessages::Message> undelivered = m_pending.takeAll();
    QString lastPublic;
    for (const PendingMessages::Message &message : undelivered) {
        if (message.isPrivate()) {
            AppendHistory(TranscriptRows::pmNotDeliveredRow(TranscriptRows::timeStamp(), message.recipient, message.text));
            frmPM *privateWindow = Form<frmPM>::loaded();
            if (privateWindow && privateWindow->lblUserPM->text() == message.recipient
                && privateWindow->txtPM->toPlainText().isEmpty())
                privateWindow->txtPM->setPlainText(message.text);
        } else {
            AppendHistory(TranscriptRows::notDeliveredRow(TranscriptRows::timeStamp(), message.text));
            lastPublic = message.text;
        }
    }
    if (!lastPublic.isEmpty() && txtText->text().isEmpty())
        txtText->setText(lastPublic);
}

void frmChat::noteAcknowledged()
{
    // Asking the kernel costs a system call per block received; with nothing waiting the answer
    // would change nothing.
    if (!m_pending.messages().isEmpty())
        m_pending.acknowledged(wskClient->acknowledgedBytes());
}

void frmChat::tmrConnection_Timer()
{
    noteAcknowledged();
    if (keepsReconnecting()) {
        setStatusPanels(QStringLiteral("Reconnecting..."), QString());
        return;
    }
    m_status->check();
}

// With reconnecting on, a connection that stood and was lost keeps the window and its conversation
// while it is tried again. Turned off meanwhile, the next tick gives up as without it, and no
// attempt may sign on behind the box that says so.
bool frmChat::keepsReconnecting()
{
    if (isConnected())
        return false;
    if (!ChatFeatures::inForce().reconnect) {
        m_reconnection->stop();
        return false;
    }
    m_reconnection->resume();
    return m_reconnection->isActive();
}

void frmChat::tellNextAttempt(int delayMs)
{
    const int seconds = (delayMs + 999) / 1000;
    AppendHistory(TranscriptRows::textRow(
        TranscriptRows::timeStamp(),
        QStringLiteral("  ~// Reconnecting in %1 %2 (Ctrl+D stops it).")
            .arg(seconds)
            .arg(seconds == 1 ? QStringLiteral("second") : QStringLiteral("seconds"))));
}

void frmChat::tellResumed()
{
    AppendHistory(TranscriptRows::textRow(TranscriptRows::timeStamp(),
                                          QStringLiteral("  ~// Connected again; signing on as ")
                                              + txtUser->text().toHtmlEscaped() + QLatin1Char('.')));
}

void frmChat::setStatusPanels(const QString &first, const QString &second)
{
    StatusBar1->setPanelText(1, first);
    StatusBar1->setPanelText(2, second);
    StatusBar1->showPrivate(wskClient->isPrivate());
}

void frmChat::showNotConnectedBox(const QString &text, const QString &title)
{
    Dialogs::current().messageBox(this, QMessageBox::NoIcon, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

void frmChat::returnToSignon()
{
    StatusBar1->showPrivate(false);
    m_reconnection->stop();
    hide();
    Form<frmSignon>::get()->show();
    tmrConnection->stop();
}

// The public message is not written here: it comes back from the server like everyone else's.
void frmChat::sendPublicMessage()
{
    ChatOutbox &outbox = ChatOutbox::current();
    if (!outbox.connectedOrHint())
        return;
    const QString text = txtText->text();
    if (text.isEmpty()) {
        AddText(TranscriptRows::emptyInputHint());
        txtText->setText(QString());
        return;
    }
    const QString message = WireProtocol::message(txtUser->text(), text);
    LetPendingEventsRun();
    // The connection may have gone while events ran; the text then waits for a later try.
    if (!outbox.sendIfConnected(message))
        return;
    InputHistory::publicMessages().add(txtText->toPlainText());
    m_pending.sentPublic(text, wskClient->sentBytes());
    if (!carriesUnicode())
        m_ownEchoes.sent(text);
    txtText->setText(QString());
}

bool frmChat::isConnected() const
{
    return wskClient->isConnected();
}

bool frmChat::carriesUnicode() const
{
    return wskClient->carriesUnicode();
}

bool frmChat::sendText(const QString &message)
{
    return wskClient->send(message);
}

void frmChat::privateMessageSent(const QString &recipient, const QString &text)
{
    m_pending.sentPrivate(recipient, text, wskClient->sentBytes());
}

void frmChat::Leave()
{
    wskClient->leaveAndFlush(txtUser->text());
}

void frmChat::closeConnection()
{
    m_reconnection->stop();
    wskClient->close();
}

// The program ends at once, with no destructor run: the rows the log gathered are written first.
void frmChat::endProgram()
{
    m_reconnection->stop();
    Leave();
    m_chatLog->flush();
    removeTrayIcon();
    modMain::StopProgram();
}

// Hidden, this window waits for its tray icon to bring it back. Where there is no tray, the last
// visible window closing would leave a process nobody can reach: it ends the program instead, the
// way the exit command does.
void frmChat::endIfStranded()
{
    if (isVisible() || (m_frmSysTray && m_frmSysTray->IsOnTray()))
        return;
    endProgram();
}

void frmChat::removeTrayIcon()
{
    delete m_frmSysTray;
    m_frmSysTray = nullptr;
}

// Closing the main window always ends the program.
void frmChat::closeEvent(QCloseEvent *event)
{
    event->accept();
    endProgram();
}

// Only the window's own area (skin, column header, toolbar, status bar) offers the window menu;
// the transcript, the input line and the user list have menus of their own.
void frmChat::contextMenuEvent(QContextMenuEvent *event)
{
    QWidget *under = childAt(event->pos());
    const bool ownArea = !under || under == style || under == style_userlist || under == users
                         || Toolbar1->isAncestorOf(under) || under == Toolbar1 || StatusBar1->isAncestorOf(under)
                         || under == StatusBar1;
    if (!ownArea)
        return;
    m_windowMenu->popup(event->globalPos());
}
