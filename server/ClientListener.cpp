#include "ClientListener.h"

#include <QTcpSocket>

#include <unistd.h>

void ClientListener::incomingConnection(qintptr descriptor)
{
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        ::close(int(descriptor));
        return;
    }
    addPendingConnection(socket);
}
