#pragma once

#include "Extensions.h"
#include "WireText.h"

#include <QByteArray>
#include <QByteArrayView>

// The client's side of further extensions (docs/protocol.md), without a socket: of the framed
// Extensions messages from the server the first is the offer, which is answered at once, the second
// the confirmation, and any later one is ignored. None of them is ever handed out.
class ClientExtensions
{
public:
    // A framed message from the server: true when it was an Extensions message, taken here. After
    // the offer, takeAnswer() holds the answer.
    bool take(QByteArrayView framedMessage);
    // The answer to send, framed, once, right after the offer was taken; empty otherwise.
    QByteArray takeAnswer();
    // Of our text: UTF-8 from our answer on, if it took UTF-8.
    WireText::Encoding outputEncoding() const;
    // Of the server's text: UTF-8 from its confirmation on, if it named UTF-8 and we took it.
    WireText::Encoding inputEncoding() const;

private:
    int m_taken = 0;
    Extensions::Set m_accepted;
    Extensions::Set m_agreed;
    QByteArray m_answer;
};
