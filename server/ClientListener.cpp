#include "ClientListener.h"

#include <QSslSocket>

#include <unistd.h>

void ClientListener::setTlsConfiguration(const QSslConfiguration &configuration)
{
    m_tls = configuration;
    m_usesTls = true;
}

void ClientListener::incomingConnection(qintptr descriptor)
{
    QTcpSocket *socket = m_usesTls ? new QSslSocket(this) : new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        ::close(int(descriptor));
        return;
    }
    if (auto *secure = qobject_cast<QSslSocket *>(socket)) {
        secure->setSslConfiguration(m_tls);
        secure->startServerEncryption();
    }
    addPendingConnection(socket);
}
