#include "ChatFeatures.h"

#include "SettingsKeys.h"

#include <optional>

namespace {

std::optional<ChatFeatures> &featuresInForce()
{
    static std::optional<ChatFeatures> features;
    return features;
}

QString onOff(bool on)
{
    return on ? QStringLiteral("On") : QStringLiteral("Off");
}

} // namespace

ChatFeatures ChatFeatures::read()
{
    using namespace SettingsKeys;
    const QString path = modMain::SettingsPath();
    const auto on = [&path](QLatin1String key) { return modMain::ReadIni(ChatSection, key, path) == QLatin1String("On"); };
    return {on(LogKey), on(ReconnectKey), on(NotifyKey)};
}

QList<modMain::IniValue> ChatFeatures::values() const
{
    using namespace SettingsKeys;
    return {{ChatSection, LogKey, onOff(logging)},
            {ChatSection, ReconnectKey, onOff(reconnect)},
            {ChatSection, NotifyKey, onOff(notifications)}};
}

const ChatFeatures &ChatFeatures::inForce()
{
    std::optional<ChatFeatures> &features = featuresInForce();
    if (!features)
        features = read();
    return *features;
}

void ChatFeatures::setInForce(const ChatFeatures &features)
{
    featuresInForce() = features;
}
