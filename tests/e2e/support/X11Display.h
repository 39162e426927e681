#pragma once

#include <QList>
#include <QProcess>
#include <QString>

struct xcb_connection_t;

// An X display for running the real program with its windows mapped, and the two things a user
// does there that cannot be done from outside on the offscreen platform: find a window by its
// title and close it by its close box (WM_DELETE_WINDOW, as a window manager sends it).
// Uses the X server already on the display, or starts Xvfb there.
class X11Display
{
public:
    explicit X11Display(const QString &name);
    ~X11Display();
    X11Display(const X11Display &) = delete;
    X11Display &operator=(const X11Display &) = delete;

    // False when no X server could be reached or started; why() says what went wrong.
    bool open();
    QString why() const { return m_why; }
    QString name() const { return m_name; }
    // The Xvfb this object started; 0 when it found an X server already running.
    qint64 serverProcessId() const { return m_xvfb.processId(); }

    // The mapped top-level windows whose title is exactly `title`.
    QList<quint32> windowsTitled(const QString &title) const;
    bool close(quint32 window);
    // Sets a top-level window's size as a window manager would.
    bool resize(quint32 window, int width, int height);
    // Gives a window the keyboard focus, as a window manager gives it to the window clicked on.
    bool focus(quint32 window);

    // From the call on, the X server reports every top-level window that is mapped; what it
    // reported before the call is dropped.
    void watchMaps();
    // Blocks (no event loop) until the X server reports a top-level window with exactly `title`
    // (any title when empty) mapped, as it tells it, so the moment is the mapping's; 0 when none
    // came within timeoutMs.
    quint32 waitForMapped(const QString &title, int timeoutMs);

private:
    bool connect();
    quint32 atom(const char *name) const;
    QString title(quint32 window) const;

    QString m_name;
    QString m_why;
    QProcess m_xvfb;
    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
};
