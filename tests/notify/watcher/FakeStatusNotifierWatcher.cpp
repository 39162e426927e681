// A StatusNotifier watcher as a desktop with a tray runs one, for tests of the program's tray: it
// says a host (the panel that draws the icons) is there, and writes every item that registers on
// a line of its own to standard output, after "ready" once it owns its name on the session bus.
// Qt asks the watcher synchronously whether a host is there, so it has to run in a process apart
// from the program it answers.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QObject>
#include <QStringList>
#include <QTextStream>

namespace {

class FakeStatusNotifierWatcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isStatusNotifierHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredStatusNotifierItems)

public:
    bool isStatusNotifierHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList registeredStatusNotifierItems() const { return m_items; }

public slots:
    void RegisterStatusNotifierItem(const QString &service)
    {
        m_items.append(service);
        say(QStringLiteral("item ") + service);
        emit StatusNotifierItemRegistered(service);
    }
    void RegisterStatusNotifierHost(const QString &) {}

signals:
    void StatusNotifierItemRegistered(const QString &service);

public:
    static void say(const QString &line)
    {
        QTextStream out(stdout);
        out << line << Qt::endl;
    }

private:
    QStringList m_items;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    FakeStatusNotifierWatcher watcher;
    QDBusConnection bus = QDBusConnection::sessionBus();
    const bool registered = bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                                               QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals
                                                   | QDBusConnection::ExportAllProperties)
        && bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
    if (!registered) {
        FakeStatusNotifierWatcher::say(QStringLiteral("failed ") + bus.lastError().message());
        return 1;
    }
    FakeStatusNotifierWatcher::say(QStringLiteral("ready"));
    return application.exec();
}

#include "FakeStatusNotifierWatcher.moc"
