#include "StopSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int handledSignals[] = {SIGINT, SIGTERM, SIGHUP};

// [0] is written by the handler, [1] is read by the event loop.
int signalPipe[2] = {-1, -1};

void writeSignal(int signalNumber)
{
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}
}

StopSignals::StopSignals(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        qFatal("cannot create the socket pair for stop signals");
    m_notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readSignal);

    struct sigaction action = {};
    action.sa_handler = writeSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : handledSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

StopSignals::~StopSignals()
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    for (const int signalNumber : handledSignals)
        ::sigaction(signalNumber, &action, nullptr);
    delete m_notifier;
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void StopSignals::readSignal()
{
    unsigned char byte = 0;
    if (::read(signalPipe[1], &byte, 1) != 1)
        return;
    if (byte == SIGHUP)
        emit reloadRequested();
    else
        emit stopRequested(byte);
}
