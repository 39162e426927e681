#pragma once

#include "ClusterEvent.h"
#include "ClusterPeers.h"
#include "RoomLink.h"
#include "RoomLinkEvents.h"

#include <nats/nats.h>

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// A room shared through NATS JetStream. What the users of this server do goes out as events on
// one stream subject, each server numbering its own; the names live in a key-value bucket whose
// entries expire unless the server holding them renews them, so a dead server's names come free;
// a heartbeat subject tells which servers are alive. NATS calls back on threads of its own:
// everything that reaches the room is carried over to the thread the link was made on.
class NatsRoomLink : public QObject, public RoomLink
{
public:
    using Log = std::function<void(const QString &)>;

    // nullptr, with *error, when NATS cannot be reached or refuses the stream or the bucket.
    static NatsRoomLink *create(const QStringList &urls, RoomLinkEvents *events, Log log, QString *error);
    ~NatsRoomLink() override;

    bool claimName(const QString &name) override;
    void joined(const QString &name) override;
    void left(const QString &name) override;
    void kicked(const QString &name, const QString &operatorName) override;
    void message(const QString &name, const QString &text) override;
    void privateMessage(const QString &sender, const QString &recipient, const QString &text) override;
    void motdChanged(const QString &motd) override;

private:
    NatsRoomLink(RoomLinkEvents *events, Log log);

    bool connect(const QStringList &urls, QString *error);
    bool openStreamAndBucketSoon(int replicas, QString *error);
    bool openStreamAndBucket(int replicas, QString *error);
    bool subscribe(QString *error);
    void publish(ClusterEvent::Kind kind, const QStringList &fields);
    void publishRoster();
    void receive(const QByteArray &data);
    void applyAll(const QList<ClusterEvent> &events);
    void apply(const ClusterEvent &event);
    void beat();
    void releaseName(const QString &name);
    bool holdsName(const QString &name) const;
    void renewNames();

    // The URL of the NATS server the link goes through now.
    QString natsServer() const;

    void closeSubscriptions();

    static void onSubscriptionClosed(void *closure);
    static void onReconnected(natsConnection *, void *closure);
    static void onEvent(natsConnection *, natsSubscription *, natsMsg *message, void *closure);
    static void onBeat(natsConnection *, natsSubscription *, natsMsg *message, void *closure);
    static void onPublishError(jsCtx *, jsPubAckErr *error, void *closure);

    RoomLinkEvents *m_events;
    Log m_log;
    QString m_node;
    quint64 m_sequence = 0;
    ClusterPeers m_peers;
    QElapsedTimer m_clock;
    QTimer m_beatTimer;

    natsConnection *m_connection = nullptr;
    jsCtx *m_jetStream = nullptr;
    kvStore *m_names = nullptr;
    natsSubscription *m_eventSubscription = nullptr;
    natsSubscription *m_beatSubscription = nullptr;

    // The names of this server's users and the revision of each one's entry, shared with the
    // thread that renews them.
    mutable std::mutex m_heldMutex;
    QHash<QString, quint64> m_heldNames;
    std::condition_variable m_renewWake;
    bool m_stopping = false;
    std::thread m_renewer;

    std::mutex m_closeMutex;
    std::condition_variable m_closedCondition;
    int m_closedSubscriptions = 0;
};
