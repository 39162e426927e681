#pragma once

#include <QProcess>
#include <QString>

// An X display of the test's own (Xvfb on the first free display number), made the program's
// display. Made before the application, which connects to its display when it starts.
class XvfbDisplay
{
public:
    XvfbDisplay();
    ~XvfbDisplay();

    bool isRunning() const { return !m_name.isEmpty(); }
    QString name() const { return m_name; }

private:
    QProcess m_xvfb;
    QString m_name;
};
