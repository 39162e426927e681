#include "NatsRoomLink.h"

#include "UserNameRules.h"

#include <QMetaObject>
#include <QRandomGenerator>

#include <vector>

namespace {
const char EventSubject[] = "korvani.room.events";
const char BeatSubject[] = "korvani.room.beat";
const char StreamName[] = "KORVANI_ROOM";
const char BucketName[] = "korvani-names";
// Long enough for every server to have read an event; the stream is a carrier, not an archive.
constexpr qint64 StreamMaxAgeNs = 60LL * 1000 * 1000 * 1000;
// A name whose server stops renewing it comes free after this long...
constexpr qint64 NameTtlNs = 20LL * 1000 * 1000 * 1000;
// ...and a live server renews it well within that.
constexpr auto RenewInterval = std::chrono::seconds(5);
constexpr int BeatIntervalMs = 2000;
// A server not heard for this long is gone, and its users with it.
constexpr qint64 SilenceMs = 10000;
// The room's thread waits this long at most when a user claims or frees a name, so a NATS server
// that went down holds up the other users for no longer.
constexpr int RequestWaitMs = 1000;
constexpr auto SubscriptionCloseWait = std::chrono::seconds(2);
constexpr qint64 JetStreamStartMs = 20000;
constexpr auto JetStreamRetryPause = std::chrono::milliseconds(500);
constexpr auto RepublishPause = std::chrono::milliseconds(100);
// An event unanswered this long goes again...
constexpr int PublishAckWaitMs = 2000;
// ...so a later event waits this long for it before it counts as lost.
constexpr qint64 GapWaitMs = 10000;
// A consumer whose NATS server went down is noticed by its missing heartbeats and made again.
constexpr qint64 ConsumerHeartbeatNs = 1000LL * 1000 * 1000;

QString statusText(natsStatus status)
{
    const char *last = nats_GetLastError(nullptr);
    return QString::fromUtf8(last && *last ? last : natsStatus_GetText(status));
}

// Bucket keys take few characters, names many: the key is the UTF-8 of the name as names are
// compared (letter case folded), in hexadecimal, so "Bob" on one server and "bob" on another clash.
QByteArray nameKey(const QString &name)
{
    return UserNameRules::comparisonKey(name).toUtf8().toHex();
}

jsPubOptions publishOptions()
{
    jsPubOptions options;
    jsPubOptions_Init(&options);
    // Without a wait an unanswered event would wait for its answer for ever.
    options.MaxWait = PublishAckWaitMs;
    return options;
}

QByteArray payload(natsMsg *message)
{
    return QByteArray(natsMsg_GetData(message), natsMsg_GetDataLength(message));
}
} // namespace

NatsRoomLink::NatsRoomLink(RoomLinkEvents *events, Log log)
    : m_events(events)
    , m_log(std::move(log))
    , m_node(QString::number(QRandomGenerator::system()->generate64(), 16))
{
    m_clock.start();
    m_beatTimer.setInterval(BeatIntervalMs);
    QObject::connect(&m_beatTimer, &QTimer::timeout, this, &NatsRoomLink::beat);
}

NatsRoomLink *NatsRoomLink::create(const QStringList &urls, RoomLinkEvents *events, Log log, QString *error)
{
    std::unique_ptr<NatsRoomLink> link(new NatsRoomLink(events, std::move(log)));
    // A stream kept on three NATS servers survives one of them going down.
    const int replicas = int(std::min<qsizetype>(urls.size(), 3));
    if (!link->connect(urls, error) || !link->openStreamAndBucketSoon(replicas, error) || !link->subscribe(error))
        return nullptr;
    link->m_log(QStringLiteral("cluster: through the NATS server at ") + link->natsServer());
    link->m_renewer = std::thread([raw = link.get()] { raw->renewNames(); });
    link->m_beatTimer.start();
    link->beat();
    // The other servers answer with their users.
    link->publish(ClusterEvent::Kind::Hello, {});
    return link.release();
}

NatsRoomLink::~NatsRoomLink()
{
    {
        std::lock_guard lock(m_heldMutex);
        m_stopping = true;
    }
    m_renewWake.notify_all();
    if (m_renewer.joinable())
        m_renewer.join();
    for (const QString &name : m_heldNames.keys())
        kvStore_Delete(m_names, nameKey(name).constData());
    closeSubscriptions();
    if (m_jetStream)
        js_PublishAsyncComplete(m_jetStream, nullptr);
    kvStore_Destroy(m_names);
    jsCtx_Destroy(m_jetStream);
    natsConnection_Destroy(m_connection);
}

bool NatsRoomLink::connect(const QStringList &urls, QString *error)
{
    natsOptions *options = nullptr;
    std::vector<QByteArray> urlBytes;
    for (const QString &url : urls)
        urlBytes.push_back(url.toUtf8());
    std::vector<const char *> servers;
    for (const QByteArray &url : urlBytes)
        servers.push_back(url.constData());
    natsStatus status = natsOptions_Create(&options);
    if (status == NATS_OK)
        status = natsOptions_SetServers(options, servers.data(), int(servers.size()));
    // A NATS server going down: the link moves to another and keeps trying for ever.
    if (status == NATS_OK)
        status = natsOptions_SetMaxReconnect(options, -1);
    if (status == NATS_OK)
        status = natsOptions_SetReconnectWait(options, 250);
    if (status == NATS_OK)
        status = natsOptions_SetReconnectedCB(options, &NatsRoomLink::onReconnected, this);
    if (status == NATS_OK)
        status = natsConnection_Connect(&m_connection, options);
    natsOptions_Destroy(options);
    if (status != NATS_OK)
        *error = QStringLiteral("cannot reach NATS at %1: %2").arg(urls.join(QLatin1Char(',')), statusText(status));
    return status == NATS_OK;
}

// NATS servers started together take a few seconds to choose who keeps JetStream's records.
bool NatsRoomLink::openStreamAndBucketSoon(int replicas, QString *error)
{
    QElapsedTimer waited;
    waited.start();
    while (!openStreamAndBucket(replicas, error)) {
        if (waited.elapsed() > JetStreamStartMs)
            return false;
        std::this_thread::sleep_for(JetStreamRetryPause);
    }
    return true;
}

bool NatsRoomLink::openStreamAndBucket(int replicas, QString *error)
{
    jsOptions options;
    jsOptions_Init(&options);
    options.Wait = RequestWaitMs;
    options.PublishAsync.ErrHandler = &NatsRoomLink::onPublishError;
    options.PublishAsync.ErrHandlerClosure = this;
    jsCtx_Destroy(m_jetStream);
    m_jetStream = nullptr;
    natsStatus status = natsConnection_JetStream(&m_jetStream, m_connection, &options);

    const char *subjects[] = {EventSubject};
    jsStreamConfig stream;
    jsStreamConfig_Init(&stream);
    stream.Name = StreamName;
    stream.Subjects = subjects;
    stream.SubjectsLen = 1;
    stream.Storage = js_FileStorage;
    stream.MaxAge = StreamMaxAgeNs;
    stream.Replicas = replicas;
    jsErrCode code = jsErrCode(0);
    if (status == NATS_OK && js_AddStream(nullptr, m_jetStream, &stream, nullptr, &code) != NATS_OK) {
        // Another server made it first.
        jsStreamInfo *info = nullptr;
        status = js_GetStreamInfo(&info, m_jetStream, StreamName, nullptr, &code);
        jsStreamInfo_Destroy(info);
    }

    kvConfig bucket;
    kvConfig_Init(&bucket);
    bucket.Bucket = BucketName;
    bucket.History = 1;
    bucket.TTL = NameTtlNs;
    bucket.Replicas = replicas;
    if (status == NATS_OK && js_CreateKeyValue(&m_names, m_jetStream, &bucket) != NATS_OK)
        status = js_KeyValue(&m_names, m_jetStream, BucketName);
    if (status != NATS_OK)
        *error = QStringLiteral("cannot open the JetStream stream %1 and bucket %2: %3")
                     .arg(QLatin1String(StreamName), QLatin1String(BucketName), statusText(status));
    return status == NATS_OK;
}

bool NatsRoomLink::subscribe(QString *error)
{
    jsSubOptions options;
    jsSubOptions_Init(&options);
    // The consumer starts over where it left off when its NATS server goes down.
    options.Ordered = true;
    options.Config.DeliverPolicy = js_DeliverNew;
    options.Config.Heartbeat = ConsumerHeartbeatNs;
    jsErrCode code = jsErrCode(0);
    natsStatus status = js_Subscribe(&m_eventSubscription, m_jetStream, EventSubject, &NatsRoomLink::onEvent, this,
                                     nullptr, &options, &code);
    if (status == NATS_OK)
        status = natsSubscription_SetOnCompleteCB(m_eventSubscription, &NatsRoomLink::onSubscriptionClosed, this);
    if (status == NATS_OK)
        status = natsConnection_Subscribe(&m_beatSubscription, m_connection, BeatSubject, &NatsRoomLink::onBeat, this);
    if (status == NATS_OK)
        status = natsSubscription_SetOnCompleteCB(m_beatSubscription, &NatsRoomLink::onSubscriptionClosed, this);
    if (status != NATS_OK)
        *error = QStringLiteral("cannot subscribe to the room's events: ") + statusText(status);
    return status == NATS_OK;
}

// A message handler may be running on a NATS thread while the link goes: the link waits until
// both subscriptions said they call it no more.
void NatsRoomLink::closeSubscriptions()
{
    int closing = 0;
    for (natsSubscription *subscription : {m_eventSubscription, m_beatSubscription})
        if (subscription && natsSubscription_Unsubscribe(subscription) == NATS_OK)
            ++closing;
    std::unique_lock lock(m_closeMutex);
    m_closedCondition.wait_for(lock, SubscriptionCloseWait, [&] { return m_closedSubscriptions >= closing; });
    lock.unlock();
    natsSubscription_Destroy(m_eventSubscription);
    natsSubscription_Destroy(m_beatSubscription);
}

void NatsRoomLink::onSubscriptionClosed(void *closure)
{
    auto *link = static_cast<NatsRoomLink *>(closure);
    std::lock_guard lock(link->m_closeMutex);
    ++link->m_closedSubscriptions;
    link->m_closedCondition.notify_all();
}

QString NatsRoomLink::natsServer() const
{
    char url[256] = {};
    natsConnection_GetConnectedUrl(m_connection, url, sizeof url);
    return QString::fromUtf8(url);
}

void NatsRoomLink::onReconnected(natsConnection *, void *closure)
{
    auto *link = static_cast<NatsRoomLink *>(closure);
    QMetaObject::invokeMethod(
        link, [link] { link->m_log(QStringLiteral("cluster: now through the NATS server at ") + link->natsServer()); },
        Qt::QueuedConnection);
}

void NatsRoomLink::onEvent(natsConnection *, natsSubscription *, natsMsg *message, void *closure)
{
    auto *link = static_cast<NatsRoomLink *>(closure);
    const QByteArray data = payload(message);
    natsMsg_Destroy(message);
    QMetaObject::invokeMethod(link, [link, data] { link->receive(data); }, Qt::QueuedConnection);
}

void NatsRoomLink::onBeat(natsConnection *, natsSubscription *, natsMsg *message, void *closure)
{
    auto *link = static_cast<NatsRoomLink *>(closure);
    const QString node = QString::fromUtf8(payload(message));
    natsMsg_Destroy(message);
    QMetaObject::invokeMethod(
        link,
        [link, node] {
            // A server heard for the first time is told this one's users, also when the greeting
            // it sent on starting reached this server out of order (and was dropped as old).
            if (node != link->m_node && link->m_peers.heard(node, link->m_clock.elapsed()))
                link->publishRoster();
        },
        Qt::QueuedConnection);
}

// A publication that timed out (its NATS server went down, say) or found no stream (the NATS
// servers are choosing the stream's new leader) goes again: the stream drops the second copy when
// the first did arrive, by its message id.
void NatsRoomLink::onPublishError(jsCtx *jetStream, jsPubAckErr *error, void *closure)
{
    if (error->Err == NATS_NO_RESPONDERS)
        std::this_thread::sleep_for(RepublishPause);
    jsPubOptions options = publishOptions();
    if ((error->Err == NATS_TIMEOUT || error->Err == NATS_NO_RESPONDERS)
        && js_PublishMsgAsync(jetStream, &error->Msg, &options) == NATS_OK)
        return;
    auto *link = static_cast<NatsRoomLink *>(closure);
    const QString text = QString::fromUtf8(error->ErrText ? error->ErrText : natsStatus_GetText(error->Err));
    QMetaObject::invokeMethod(
        link, [link, text] { link->m_log(QStringLiteral("cluster: an event was lost: ") + text); },
        Qt::QueuedConnection);
}

void NatsRoomLink::publish(ClusterEvent::Kind kind, const QStringList &fields)
{
    const ClusterEvent event{m_node, ++m_sequence, kind, fields};
    const QByteArray data = event.encode();
    const QByteArray id = m_node.toLatin1() + '-' + QByteArray::number(event.sequence);
    jsPubOptions options = publishOptions();
    options.MsgId = id.constData();
    const natsStatus status = js_PublishAsync(m_jetStream, EventSubject, data.constData(), int(data.size()), &options);
    if (status != NATS_OK)
        m_log(QStringLiteral("cluster: cannot send an event: ") + statusText(status));
}

void NatsRoomLink::receive(const QByteArray &data)
{
    ClusterEvent event;
    if (!ClusterEvent::decode(data, &event)) {
        m_log(QStringLiteral("cluster: dropped an event that is not the room's"));
        return;
    }
    if (event.node != m_node)
        applyAll(m_peers.arrange(event, m_clock.elapsed()));
}

void NatsRoomLink::applyAll(const QList<ClusterEvent> &events)
{
    const quint64 lostBefore = m_peers.lostCount();
    for (const ClusterEvent &event : events)
        apply(event);
    if (m_peers.lostCount() != lostBefore)
        m_log(QStringLiteral("cluster: %1 events of other servers never arrived").arg(m_peers.lostCount() - lostBefore));
}

void NatsRoomLink::apply(const ClusterEvent &event)
{
    const QStringList &fields = event.fields;
    switch (event.kind) {
    case ClusterEvent::Kind::Hello:
        publishRoster();
        break;
    case ClusterEvent::Kind::Roster:
        for (const QString &name : fields) {
            m_peers.addUser(event.node, name);
            m_events->remoteJoined(name);
        }
        break;
    case ClusterEvent::Kind::Joined:
        m_peers.addUser(event.node, fields.at(0));
        m_events->remoteJoined(fields.at(0));
        break;
    case ClusterEvent::Kind::Left:
        m_peers.removeUser(fields.at(0));
        m_events->remoteLeft(fields.at(0));
        break;
    case ClusterEvent::Kind::Kicked:
        if (holdsName(fields.at(0)))
            releaseName(fields.at(0));
        else
            m_peers.removeUser(fields.at(0));
        m_events->remoteKicked(fields.at(0), fields.at(1));
        break;
    case ClusterEvent::Kind::Message:
        m_events->remoteMessage(fields.at(0), fields.at(1));
        break;
    case ClusterEvent::Kind::PrivateMessage:
        m_events->remotePrivateMessage(fields.at(0), fields.at(1), fields.at(2));
        break;
    case ClusterEvent::Kind::Motd:
        m_events->remoteMotd(fields.at(0));
        break;
    }
}

void NatsRoomLink::publishRoster()
{
    std::unique_lock lock(m_heldMutex);
    const QStringList names = m_heldNames.keys();
    lock.unlock();
    publish(ClusterEvent::Kind::Roster, names);
}

void NatsRoomLink::beat()
{
    const QByteArray node = m_node.toLatin1();
    natsConnection_Publish(m_connection, BeatSubject, node.constData(), int(node.size()));
    applyAll(m_peers.takeOverdue(m_clock.elapsed(), GapWaitMs));
    const QStringList gone = m_peers.takeUsersOfSilentNodes(m_clock.elapsed(), SilenceMs);
    for (const QString &name : gone)
        m_events->remoteLeft(name);
    if (!gone.isEmpty())
        m_log(QStringLiteral("cluster: a server went silent; its %1 users left").arg(gone.size()));
}

bool NatsRoomLink::claimName(const QString &name)
{
    const QByteArray node = m_node.toLatin1();
    uint64_t revision = 0;
    if (kvStore_Create(&revision, m_names, nameKey(name).constData(), node.constData(), int(node.size())) != NATS_OK)
        return false;
    std::lock_guard lock(m_heldMutex);
    m_heldNames.insert(name, revision);
    return true;
}

void NatsRoomLink::joined(const QString &name)
{
    publish(ClusterEvent::Kind::Joined, {name});
}

void NatsRoomLink::left(const QString &name)
{
    releaseName(name);
    publish(ClusterEvent::Kind::Left, {name});
}

void NatsRoomLink::kicked(const QString &name, const QString &operatorName)
{
    if (holdsName(name))
        releaseName(name);
    else
        m_peers.removeUser(name);
    publish(ClusterEvent::Kind::Kicked, {name, operatorName});
}

void NatsRoomLink::message(const QString &name, const QString &text)
{
    publish(ClusterEvent::Kind::Message, {name, text});
}

void NatsRoomLink::privateMessage(const QString &sender, const QString &recipient, const QString &text)
{
    publish(ClusterEvent::Kind::PrivateMessage, {sender, recipient, text});
}

void NatsRoomLink::motdChanged(const QString &motd)
{
    publish(ClusterEvent::Kind::Motd, {motd});
}

void NatsRoomLink::releaseName(const QString &name)
{
    {
        std::lock_guard lock(m_heldMutex);
        m_heldNames.remove(name);
    }
    kvStore_Delete(m_names, nameKey(name).constData());
}

bool NatsRoomLink::holdsName(const QString &name) const
{
    std::lock_guard lock(m_heldMutex);
    return m_heldNames.contains(name);
}

// On a thread of its own: renewing a thousand names takes a thousand round trips to NATS, which
// the room's thread does not wait for.
void NatsRoomLink::renewNames()
{
    const QByteArray node = m_node.toLatin1();
    std::unique_lock lock(m_heldMutex);
    while (!m_renewWake.wait_for(lock, RenewInterval, [this] { return m_stopping; })) {
        const QHash<QString, quint64> held = m_heldNames;
        lock.unlock();
        QHash<QString, quint64> renewed;
        for (auto entry = held.cbegin(); entry != held.cend(); ++entry) {
            uint64_t revision = 0;
            // Only while the entry is still the one this server made.
            if (kvStore_Update(&revision, m_names, nameKey(entry.key()).constData(), node.constData(),
                               int(node.size()), entry.value())
                == NATS_OK)
                renewed.insert(entry.key(), revision);
        }
        lock.lock();
        for (auto entry = renewed.cbegin(); entry != renewed.cend(); ++entry) {
            const auto held = m_heldNames.find(entry.key());
            if (held != m_heldNames.end())
                held.value() = entry.value();
        }
    }
}
