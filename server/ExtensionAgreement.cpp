#include "ExtensionAgreement.h"

QByteArray ExtensionAgreement::offer()
{
    m_offered = true;
    return Extensions::message(Extensions::known());
}

bool ExtensionAgreement::takeAnswer(QByteArrayView message)
{
    Extensions::Set named;
    if (!m_offered || m_answered || !Extensions::read(message, &named))
        return false;
    m_answered = true;
    m_agreed = named & Extensions::known();
    return true;
}

QByteArray ExtensionAgreement::confirmation() const
{
    return Extensions::message(m_agreed);
}

WireText::Encoding ExtensionAgreement::encoding() const
{
    return m_agreed.testFlag(Extensions::Utf8) ? WireText::Encoding::Utf8 : WireText::Encoding::Windows1250;
}
