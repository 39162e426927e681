#pragma once

#include <QLatin1String>

// The sections and keys of Options.ini. The file is shared by every version of the program and
// may be edited by hand, so these names never change.
namespace SettingsKeys {

// The sign-on window's remembered entries.
inline constexpr QLatin1String UserSvrSection("UserSvr");
inline constexpr QLatin1String UserKey("User");
inline constexpr QLatin1String ServerKey("Svr");
inline constexpr QLatin1String AutoConnectKey("AC"); // ticked or not

// Sounds on or off, and the file each sound row plays.
inline constexpr QLatin1String SoundsSection("Sounds");
inline constexpr QLatin1String SoundsOnKey("Value"); // "On" or "Off"
inline constexpr QLatin1String MessageSoundKey("Message");
inline constexpr QLatin1String PrivateMessageSoundKey("PM_message");
inline constexpr QLatin1String SystemSoundKey("System");
inline constexpr QLatin1String UserJoinSoundKey("Login");
inline constexpr QLatin1String UserLeftSoundKey("Logout");

inline constexpr QLatin1String DisplayCorrectionSection("DisplayCorrection");
inline constexpr QLatin1String DisplayCorrectionOnKey("On"); // "True" or "False"

// Where the notices go.
inline constexpr QLatin1String MessageSection("Message");
inline constexpr QLatin1String MotdKey("mssg");             // "Main", "Windows" or "Balloon"
inline constexpr QLatin1String JoinRowInMainKey("Umain");   // ticked or not
inline constexpr QLatin1String JoinLeaveNoticeKey("UMsg");  // "Win" or "Ball"

inline constexpr QLatin1String InterfaceSection("Interface");
inline constexpr QLatin1String SkinKey("Style");

// What the chat does beyond the conversation on screen; every one is off until the user asks.
inline constexpr QLatin1String ChatSection("Chat");
inline constexpr QLatin1String LogKey("Log");             // "On" or "Off": rows appended to a log file
inline constexpr QLatin1String ReconnectKey("Reconnect"); // "On" or "Off": a lost connection is tried again
inline constexpr QLatin1String NotifyKey("Notify");       // "On" or "Off": private messages and mentions notified

} // namespace SettingsKeys
