#pragma once

class ChatConnection;
class ConnectionStatusView;

// The status timer's decision, once a second: show that the connection stands, or give up on it
// and send the user back to the sign-on window.
class ConnectionStatus
{
public:
    ConnectionStatus(ChatConnection &connection, ConnectionStatusView &view);

    // One tick of the status timer.
    void check();

private:
    void giveUp();

    ChatConnection &m_connection;
    ConnectionStatusView &m_view;
    bool m_givingUp = false;
};
