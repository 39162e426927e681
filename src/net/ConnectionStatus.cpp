#include "ConnectionStatus.h"

#include "ChatConnection.h"
#include "ConnectionStatusView.h"

#include <QString>

ConnectionStatus::ConnectionStatus(ChatConnection &connection, ConnectionStatusView &view)
    : m_connection(connection)
    , m_view(view)
{
}

void ConnectionStatus::check()
{
    // The timer keeps ticking while the box is open; one box is enough.
    if (m_givingUp)
        return;
    if (m_connection.isConnected()) {
        m_view.setStatusPanels(QStringLiteral("You are connected on Server"),
                               QStringLiteral("Your Ip is: ") + m_connection.localAddress());
        return;
    }
    giveUp();
}

void ConnectionStatus::giveUp()
{
    m_givingUp = true;
    // An attempt still under way must not sign on later behind the user's back, also not while
    // the box is open.
    m_connection.abortPending();
    m_view.showNotConnectedBox(QStringLiteral("You are not connected on Server!!"), QStringLiteral("Client"));
    m_view.returnToSignon();
    m_givingUp = false;
}
