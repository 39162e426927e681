#include "SignOnSettings.h"

#include "SettingsKeys.h"

SignOnSettings SignOnSettings::read()
{
    using namespace SettingsKeys;
    const QString path = modMain::SettingsPath();
    return {modMain::ReadIni(UserSvrSection, UserKey, path), modMain::ReadIni(UserSvrSection, ServerKey, path),
            modMain::IniTicked(modMain::ReadIni(UserSvrSection, AutoConnectKey, path))};
}

QList<modMain::IniValue> SignOnSettings::values() const
{
    using namespace SettingsKeys;
    return {{UserSvrSection, UserKey, user.trimmed()},
            {UserSvrSection, ServerKey, server.trimmed()},
            {UserSvrSection, AutoConnectKey, modMain::IniTickValue(autoConnect)}};
}
