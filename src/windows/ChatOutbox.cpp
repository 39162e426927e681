#include "ChatOutbox.h"

#include "frmChat.h"

#include "app/Form.h"

namespace {
ChatOutbox *installed = nullptr;
}

bool ChatOutbox::isConnected() const
{
    return Form<frmChat>::get()->isConnected();
}

void ChatOutbox::sendText(const QString &message)
{
    Form<frmChat>::get()->sendText(message);
}

bool ChatOutbox::sendIfConnected(const QString &message)
{
    if (!isConnected()) {
        Form<frmChat>::get()->AddText(QStringLiteral("  ~// You must be connected to some to send text"));
        return false;
    }
    sendText(message);
    return true;
}

ChatOutbox &ChatOutbox::current()
{
    static ChatOutbox mainWindow;
    return installed ? *installed : mainWindow;
}

void ChatOutbox::setCurrent(ChatOutbox *outbox)
{
    installed = outbox;
}
