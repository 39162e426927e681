#include "X11Display.h"

#include "support/EventLoopWait.h"

#ifdef KORVANI_E2E_XCB
#include <xcb/xcb.h>

#include <QDeadlineTimer>

#include <cstdlib>
#include <memory>
#include <poll.h>

namespace {
template <class Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

template <class Reply>
ReplyPointer<Reply> owned(Reply *reply)
{
    return ReplyPointer<Reply>(reply, &std::free);
}
}

X11Display::X11Display(const QString &name)
    : m_name(name)
{
}

X11Display::~X11Display()
{
    if (m_connection)
        xcb_disconnect(m_connection);
    if (m_xvfb.state() != QProcess::NotRunning) {
        m_xvfb.terminate();
        if (!m_xvfb.waitForFinished(10000))
            m_xvfb.kill();
    }
}

bool X11Display::open()
{
    if (connect())
        return true;
    m_xvfb.start(QStringLiteral("Xvfb"), {m_name, QStringLiteral("-screen"), QStringLiteral("0"),
                                         QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!m_xvfb.waitForStarted(10000)) {
        m_why = QStringLiteral("Xvfb does not start: ") + m_xvfb.errorString();
        return false;
    }
    // The wait asks its condition once more after it held: an open connection must not be opened again.
    EventLoopWait::until([this] { return m_connection || m_xvfb.state() == QProcess::NotRunning || connect(); }, 20000);
    if (!m_connection)
        m_why = QStringLiteral("no X server on %1: %2").arg(m_name, QString::fromLocal8Bit(m_xvfb.readAllStandardError()));
    return m_connection;
}

bool X11Display::connect()
{
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(m_name.toLocal8Bit().constData(), &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    m_connection = connection;
    m_root = screens.data->root;
    return true;
}

quint32 X11Display::atom(const char *name) const
{
    const auto reply = owned(xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, uint16_t(qstrlen(name)), name), nullptr));
    return reply ? reply->atom : XCB_ATOM_NONE;
}

QString X11Display::title(quint32 window) const
{
    const auto read = [&](xcb_atom_t property, xcb_atom_t type) {
        const auto reply = owned(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, property, type, 0, 1024), nullptr));
        if (!reply || reply->type != type)
            return QString();
        return QString::fromUtf8(static_cast<const char *>(xcb_get_property_value(reply.get())),
                                 xcb_get_property_value_length(reply.get()));
    };
    const QString netName = read(atom("_NET_WM_NAME"), atom("UTF8_STRING"));
    return netName.isEmpty() ? read(XCB_ATOM_WM_NAME, XCB_ATOM_STRING) : netName;
}

QList<quint32> X11Display::windowsTitled(const QString &wanted) const
{
    QList<quint32> found;
    const auto tree = owned(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr));
    if (!tree)
        return found;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const auto attributes = owned(xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, children[i]), nullptr));
        if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE && title(children[i]) == wanted)
            found.append(children[i]);
    }
    return found;
}

bool X11Display::close(quint32 window)
{
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&event));
    return xcb_flush(m_connection) > 0;
}

bool X11Display::resize(quint32 window, int width, int height)
{
    const uint32_t size[] = {uint32_t(width), uint32_t(height)};
    xcb_configure_window(m_connection, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    return xcb_flush(m_connection) > 0;
}

bool X11Display::focus(quint32 window)
{
    xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    return xcb_flush(m_connection) > 0;
}

void X11Display::watchMaps()
{
    const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &events);
    // Round trip: once the reply is here, the server reports every later mapping.
    free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    while (xcb_generic_event_t *earlier = xcb_poll_for_event(m_connection))
        free(earlier);
}

quint32 X11Display::waitForMapped(const QString &wanted, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    pollfd readable{xcb_get_file_descriptor(m_connection), POLLIN, 0};
    while (!deadline.hasExpired()) {
        const auto event = owned(xcb_poll_for_event(m_connection));
        if (!event) {
            if (xcb_connection_has_error(m_connection))
                return 0;
            ::poll(&readable, 1, int(qMax<qint64>(1, deadline.remainingTime())));
            continue;
        }
        if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY)
            continue;
        const auto *mapped = reinterpret_cast<const xcb_map_notify_event_t *>(event.get());
        if (!mapped->override_redirect && (wanted.isEmpty() || title(mapped->window) == wanted))
            return mapped->window;
    }
    return 0;
}

#else

X11Display::X11Display(const QString &name)
    : m_name(name)
{
}

X11Display::~X11Display() = default;

bool X11Display::open()
{
    m_why = QStringLiteral("built without the X client library (xcb)");
    return false;
}

QList<quint32> X11Display::windowsTitled(const QString &) const
{
    return {};
}

bool X11Display::close(quint32)
{
    return false;
}

bool X11Display::resize(quint32, int, int)
{
    return false;
}

bool X11Display::focus(quint32)
{
    return false;
}

void X11Display::watchMaps()
{
}

quint32 X11Display::waitForMapped(const QString &, int)
{
    return 0;
}

#endif
