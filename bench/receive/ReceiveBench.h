#pragma once

#include "ProcessUsage.h"

#include <QList>
#include <QString>

#include <memory>

class ChatDialect;
class X11Display;

// A real chat program (korvani, or another for figures beside it) signed on to a peer of this
// process on a loopback address, and the figures of one run: a flood, an idle sign-on, or a
// start-up up to its first window.
class ReceiveBench
{
public:

    // CPU of the client over the lines [from, to) of a flood; the last band includes the time
    // the client took to finish after the last line was sent.
    struct Band
    {
        QString name;
        int lines = 0;
        double clientNs = 0;
        double xServerNs = 0;
    };

    struct Flood
    {
        QList<Band> bands;
        // The client's reads of its chat socket during the flood, -1 when not counted.
        qint64 socketReads = -1;
        // False on the offscreen platform, where no X server draws.
        bool xServerMeasured = false;
        qint64 rowsShown = -1;
        double sendingS = 0;
        double settleS = 0;
        ProcessUsage::Memory idle;
        ProcessUsage::Memory end;
    };

    struct Startup
    {
        double mappedMs = 0;
        ProcessUsage::Memory firstWindow;
    };

    // platform: "xcb" (on an Xvfb this bench starts) or "offscreen".
    ReceiveBench(ChatDialect &dialect, const QString &platform);
    ~ReceiveBench();

    // False with why() when the display or the listening address is not there.
    bool open();
    QString why() const { return m_why; }
    bool onX() const;

    bool flood(int lines, int rate, bool framed, Flood *result);
    bool idle(ProcessUsage::Memory *result);
    bool startup(Startup *result);

private:
    class SignedOnClient;
    std::unique_ptr<SignedOnClient> signOn(bool framed);

    ChatDialect &m_dialect;
    QString m_platform;
    std::unique_ptr<X11Display> m_display;
    int m_listener = -1;
    QString m_why;
};
