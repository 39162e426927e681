#include "ChatOutbox.h"

#include "frmChat.h"

#include "app/Form.h"
#include "transcript/TranscriptRows.h"

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

bool ChatOutbox::connectedOrHint()
{
    if (isConnected())
        return true;
    Form<frmChat>::get()->AddText(TranscriptRows::notConnectedHint());
    return false;
}

bool ChatOutbox::sendIfConnected(const QString &message)
{
    if (!connectedOrHint())
        return false;
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
