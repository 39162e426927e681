#include "frmPM.h"

#include "ChatOutbox.h"
#include "HistoryKeys.h"
#include "InputHistory.h"
#include "WindowFont.h"
#include "frmChat.h"

#include "app/DecorativePicture.h"
#include "app/Form.h"
#include "app/PendingEvents.h"
#include "app/Pictures.h"
#include "app/Twips.h"
#include "net/WireProtocol.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

frmPM::frmPM()
{
    setWindowTitle(QStringLiteral("Private Message"));
    setWindowIcon(Pictures::icon({QStringLiteral(":/pictures/korvani.png")}));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Twips::toPixels(QSize(5145, 1515)));
    setFont(WindowFont::standard());

    // Created first, so it is drawn behind everything; it reaches above the top edge.
    Image2 = new QLabel(this);
    Image2->setPixmap(Pictures::forOneUse(QStringLiteral(":/pictures/panel.png")));
    Image2->setScaledContents(true);
    DecorativePicture::mark(Image2);
    Image2->setGeometry(Twips::toPixels(QRect(0, -240, 5160, 2250)));

    Label2 = new QLabel(QStringLiteral("Send to:"), this);
    Label2->setGeometry(Twips::toPixels(QRect(0, 0, 615, 255)));

    lblUserPM = new QLabel(this);
    lblUserPM->setTextFormat(Qt::PlainText);
    lblUserPM->setGeometry(Twips::toPixels(QRect(720, 0, 2535, 255)));

    txtPM = new QPlainTextEdit(this);
    txtPM->setGeometry(Twips::toPixels(QRect(120, 360, 4935, 765)));
    txtPM->setTabChangesFocus(true);
    txtPM->setAccessibleName(QStringLiteral("Private message"));
    txtPM->installEventFilter(this);
    HistoryKeys::install(txtPM, InputHistory::privateMessages());

    cmdSendPM = new QPushButton(QStringLiteral("Send PM"), this);
    cmdSendPM->setGeometry(Twips::toPixels(QRect(1800, 1200, 1335, 255)));
    // A default button outside a dialog answers Enter only while it has the focus; Enter in the
    // text is taken by txtPM_KeyPress, so Enter anywhere in the window sends.
    cmdSendPM->setDefault(true);
    connect(cmdSendPM, &QPushButton::clicked, this, &frmPM::cmdSendPM_Click);

    setTabOrder(txtPM, cmdSendPM);
    txtPM->setFocus();
}

// The text is emptied before the yield, so an Enter still waiting in the queue finds nothing to
// send a second time.
void frmPM::cmdSendPM_Click()
{
    const QString text = txtPM->toPlainText();
    if (text.isEmpty())
        return;
    frmChat *chat = Form<frmChat>::get();
    const QString message = WireProtocol::pmMessage(lblUserPM->text(), chat->txtUser->text(), text);
    if (!ChatOutbox::current().sendIfConnected(message))
        return;
    InputHistory::privateMessages().add(text);
    chat->privateMessageSent(lblUserPM->text(), text);
    txtPM->clear();
    LetPendingEventsRun();
}

bool frmPM::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtPM && event->type() == QEvent::KeyPress)
        return txtPM_KeyPress(static_cast<QKeyEvent *>(event));
    return QWidget::eventFilter(watched, event);
}

bool frmPM::txtPM_KeyPress(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    cmdSendPM_Click();
    return true;
}

void frmPM::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form<frmPM>::unload();
}
