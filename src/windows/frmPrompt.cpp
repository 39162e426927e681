#include "frmPrompt.h"

#include "ChatOutbox.h"
#include "HistoryKeys.h"
#include "InputHistory.h"
#include "WindowFont.h"

#include "app/Form.h"
#include "app/PendingEvents.h"
#include "app/Pictures.h"
#include "app/Twips.h"
#include "net/WireProtocol.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>

frmPrompt::frmPrompt()
{
    setWindowTitle(QStringLiteral("Chat - Prompt"));
    setWindowIcon(Pictures::icon({QStringLiteral(":/pictures/korvani.png")}));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Twips::toPixels(QSize(4470, 855)));
    setFont(WindowFont::standard());

    txtPrompt = new QLineEdit(this);
    txtPrompt->setAccessibleName(QStringLiteral("Command"));
    txtPrompt->setGeometry(Twips::toPixels(QRect(120, 120, 4215, 285)));
    // A line edit inserts nothing for Enter; it only announces it.
    connect(txtPrompt, &QLineEdit::returnPressed, this, &frmPrompt::cmdSend_Click);
    HistoryKeys::install(txtPrompt, InputHistory::promptCommands());

    cmdSend = new QPushButton(QStringLiteral("Send"), this);
    cmdSend->setGeometry(Twips::toPixels(QRect(3000, 480, 1335, 255)));
    connect(cmdSend, &QPushButton::clicked, this, &frmPrompt::cmdSend_Click);

    setTabOrder(txtPrompt, cmdSend);
    txtPrompt->setFocus();
}

// The text is emptied before the yield, so an Enter still waiting in the queue finds nothing to
// send a second time.
void frmPrompt::cmdSend_Click()
{
    const QString text = txtPrompt->text();
    if (text.isEmpty())
        return;
    if (!ChatOutbox::current().sendIfConnected(WireProtocol::prompt(text)))
        return;
    InputHistory::promptCommands().add(text);
    txtPrompt->clear();
    LetPendingEventsRun();
}

void frmPrompt::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form<frmPrompt>::unload();
}
