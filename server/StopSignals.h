#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a Qt signal delivered from the event loop, so the server stops
// as cleanly as if it had been asked to, and SIGHUP into a request to read the configuration
// again (without this a SIGHUP would end the server): a signal handler itself may do almost
// nothing.
class StopSignals : public QObject
{
    Q_OBJECT

public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

signals:
    void stopRequested(int signalNumber);
    void reloadRequested();

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
