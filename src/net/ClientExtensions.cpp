#include "ClientExtensions.h"

#include <utility>

namespace {
WireText::Encoding encodingOf(Extensions::Set set)
{
    return set.testFlag(Extensions::Utf8) ? WireText::Encoding::Utf8 : WireText::Encoding::Windows1250;
}
}

bool ClientExtensions::take(QByteArrayView framedMessage)
{
    Extensions::Set named;
    if (!Extensions::read(framedMessage, &named))
        return false;
    ++m_taken;
    if (m_taken == 1) {
        m_accepted = named & Extensions::known();
        m_answer = Extensions::message(m_accepted);
    } else if (m_taken == 2) {
        m_agreed = named & m_accepted;
    }
    return true;
}

QByteArray ClientExtensions::takeAnswer()
{
    return std::exchange(m_answer, QByteArray());
}

WireText::Encoding ClientExtensions::outputEncoding() const
{
    return encodingOf(m_accepted);
}

WireText::Encoding ClientExtensions::inputEncoding() const
{
    return encodingOf(m_agreed);
}
