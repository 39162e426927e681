#include "XvfbDisplay.h"

XvfbDisplay::XvfbDisplay()
{
    // Xvfb writes the number it took, once it accepts clients, to the descriptor -displayfd names.
    m_xvfb.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                         QStringLiteral("0"), QStringLiteral("1024x768x24"),
                                         QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!m_xvfb.waitForReadyRead(20000))
        return;
    m_name = QLatin1Char(':') + QString::fromLatin1(m_xvfb.readLine().trimmed());
    qputenv("DISPLAY", m_name.toLatin1());
}

XvfbDisplay::~XvfbDisplay()
{
    m_xvfb.terminate();
    if (!m_xvfb.waitForFinished(10000))
        m_xvfb.kill();
}
