#pragma once

#include "net/Extensions.h"
#include "net/WireText.h"

#include <QByteArray>
#include <QByteArrayView>

// The server's side of further extensions on one framed connection (docs/protocol.md), without a
// socket: the offer, the client's answer among the messages it sends, and the agreed set. An
// Extensions message before the offer or after the answer is no answer: it goes to the room like
// any other message with a command word the room does not know.
class ExtensionAgreement
{
public:
    // The offer, made once; from now on the client's answer is looked for.
    QByteArray offer();
    // True when `message` is the client's answer, which sets the agreed set: it is not handed on,
    // and confirmation() says what the server sends back.
    bool takeAnswer(QByteArrayView message);
    QByteArray confirmation() const;
    // Of the client's text from its answer on, and of the server's from the confirmation on.
    WireText::Encoding encoding() const;

private:
    bool m_offered = false;
    bool m_answered = false;
    Extensions::Set m_agreed;
};
