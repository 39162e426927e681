#include "OptionsModel.h"

#include "app/AppDir.h"
#include "app/Dialogs.h"
#include "app/PendingEvents.h"
#include "app/modMain.h"

#include <QWidget>

#include <array>

namespace {

struct SoundRow
{
    const char *text;
    const char *key;         // in section Sounds
    const char *defaultFile; // under the application directory
};

constexpr std::array<SoundRow, OptionsModel::SoundRowCount> soundRows{{
    {"Message", "Message", "/sound/message.wav"},
    {"Private message", "PM_message", "/sound/pmprivate.wav"},
    {"System message", "System", "/sound/system.wav"},
    {"User join", "Login", "/sound/message.wav"},
    {"User left", "Logout", "/sound/message.wav"},
}};

bool isSoundRow(int row)
{
    return row >= 1 && row <= OptionsModel::SoundRowCount;
}

QString read(const char *section, const char *key)
{
    return modMain::ReadIni(QLatin1String(section), QLatin1String(key), modMain::SettingsPath());
}

modMain::IniValue entry(const char *section, const char *key, const QString &value)
{
    return {QLatin1String(section), QLatin1String(key), value};
}

// Apply's writes: each group is one replacement of the file; the first failure is kept for the user.
class SettingsWrites
{
public:
    void store(const QList<modMain::IniValue> &values)
    {
        QString reason;
        if (!values.isEmpty() && !modMain::WriteIniValues(values, modMain::SettingsPath(), &reason) && m_failure.isEmpty())
            m_failure = reason;
    }
    QString failure() const { return m_failure; }

private:
    QString m_failure;
};

// Check boxes are stored as "1" or "0". Anything else (a missing key before the first Apply, or a
// hand-edited value that is not an integer) reads as unticked rather than stopping the load.
bool tickedFromStored(const QString &stored)
{
    bool isInteger = false;
    const int value = stored.toInt(&isInteger);
    return isInteger && value == 1;
}

QString storedFromTicked(bool ticked)
{
    return ticked ? QStringLiteral("1") : QStringLiteral("0");
}

OptionsModel::JoinLeaveNotice joinLeaveNoticeFromStored(const QString &stored)
{
    if (stored == QLatin1String("Win"))
        return OptionsModel::JoinLeaveNotice::Windows;
    if (stored == QLatin1String("Ball") || stored.isEmpty())
        return OptionsModel::JoinLeaveNotice::Balloon;
    return OptionsModel::JoinLeaveNotice::None;
}

OptionsModel::MotdDisplay motdDisplayFromStored(const QString &stored)
{
    if (stored == QLatin1String("Main") || stored.isEmpty())
        return OptionsModel::MotdDisplay::Main;
    if (stored == QLatin1String("Windows"))
        return OptionsModel::MotdDisplay::Windows;
    if (stored == QLatin1String("Balloon"))
        return OptionsModel::MotdDisplay::Balloon;
    return OptionsModel::MotdDisplay::None;
}

} // namespace

QStringList OptionsModel::skinNames()
{
    return {QStringLiteral("Blue Skin"), QStringLiteral("Black Skin"), QStringLiteral("Rad Skin"),
            QStringLiteral("Yellow Skin"), QStringLiteral("Green Skin")};
}

QString OptionsModel::soundRowText(int row)
{
    return isSoundRow(row) ? QLatin1String(soundRows[row - 1].text) : QString();
}

QString OptionsModel::defaultSoundFile(int row)
{
    return isSoundRow(row) ? applicationDirectory() + QLatin1String(soundRows[row - 1].defaultFile) : QString();
}

QString OptionsModel::soundFile(int row) const
{
    return isSoundRow(row) ? m_soundFiles.at(row - 1) : QString();
}

void OptionsModel::setSoundFile(int row, const QString &path)
{
    if (isSoundRow(row))
        m_soundFiles[row - 1] = path;
}

void OptionsModel::fill()
{
    for (int row = 1; row <= SoundRowCount; ++row) {
        const QString stored = read("Sounds", soundRows[row - 1].key);
        m_soundFiles[row - 1] = stored.isEmpty() ? defaultSoundFile(row) : stored;
    }

    m_nickname = read("UserSvr", "User");
    m_server = read("UserSvr", "Svr");
    m_autoConnect = tickedFromStored(read("UserSvr", "AC"));
    const QString storedMotd = read("Message", "mssg");
    const QString storedJoinRow = read("Message", "Umain");
    const QString storedJoinLeave = read("Message", "UMsg");
    m_skinName = read("Interface", "Style");

    m_joinLeaveNotice = joinLeaveNoticeFromStored(storedJoinLeave);
    LetPendingEventsRun();
    m_motdDisplay = motdDisplayFromStored(storedMotd);
    m_joinRowInMain = tickedFromStored(storedJoinRow);
}

// Handlers that run during Apply's yields may read the file (a sign-on window reopened after a lost
// connection), so the keys written before each yield are on disk by then: four replacements, one
// per stretch between yields, each holding its keys in the order the steps name them.
void OptionsModel::apply(const QPointer<QWidget> &noticeParent)
{
    SettingsWrites writes;
    writes.store(soundFileValues());
    LetPendingEventsRun();
    setSwitches();
    writes.store(switchValues() + signOnValues() + QList{entry("Message", "Umain", storedFromTicked(m_joinRowInMain))}
                 + joinLeaveValues());
    LetPendingEventsRun();
    writes.store(motdValues());
    LetPendingEventsRun();
    showSkinNoticeIfChanged(noticeParent);
    writes.store({entry("Interface", "Style", m_skinName.trimmed())});
    if (!writes.failure().isEmpty())
        modMain::TellSettingsNotSaved(noticeParent.data(), writes.failure());
}

QList<modMain::IniValue> OptionsModel::soundFileValues() const
{
    QList<modMain::IniValue> values;
    for (int row = 1; row <= SoundRowCount; ++row)
        values.append(entry("Sounds", soundRows[row - 1].key, m_soundFiles.at(row - 1).trimmed()));
    return values;
}

// The flags change even when the file cannot be written: the running program follows the choice.
void OptionsModel::setSwitches() const
{
    modMain::DisplayCorrectionOn = m_displayCorrectionChoice;
    modMain::SoundsOn = m_soundsChoice;
}

QList<modMain::IniValue> OptionsModel::switchValues() const
{
    return {entry("DisplayCorrection", "On", m_displayCorrectionChoice ? QStringLiteral("True") : QStringLiteral("False")),
            entry("Sounds", "Value", m_soundsChoice ? QStringLiteral("On") : QStringLiteral("Off"))};
}

QList<modMain::IniValue> OptionsModel::signOnValues() const
{
    return {entry("UserSvr", "User", m_nickname.trimmed()), entry("UserSvr", "Svr", m_server.trimmed()),
            entry("UserSvr", "AC", storedFromTicked(m_autoConnect))};
}

// A group without a selection (an unknown stored value) keeps what is stored.
QList<modMain::IniValue> OptionsModel::joinLeaveValues() const
{
    if (m_joinLeaveNotice == JoinLeaveNotice::Windows)
        return {entry("Message", "UMsg", QStringLiteral("Win"))};
    if (m_joinLeaveNotice == JoinLeaveNotice::Balloon)
        return {entry("Message", "UMsg", QStringLiteral("Ball"))};
    return {};
}

QList<modMain::IniValue> OptionsModel::motdValues() const
{
    if (m_motdDisplay == MotdDisplay::Main)
        return {entry("Message", "mssg", QStringLiteral("Main"))};
    if (m_motdDisplay == MotdDisplay::Windows)
        return {entry("Message", "mssg", QStringLiteral("Windows"))};
    if (m_motdDisplay == MotdDisplay::Balloon)
        return {entry("Message", "mssg", QStringLiteral("Balloon"))};
    return {};
}

// The main window takes its skin only when it loads, so a new skin waits for the next start.
// Only one of the five names counts, compared untrimmed, as the user sees it in the box.
void OptionsModel::showSkinNoticeIfChanged(const QPointer<QWidget> &noticeParent) const
{
    const QString storedSkin = read("Interface", "Style");
    if (m_skinName == storedSkin || !skinNames().contains(m_skinName))
        return;
    Dialogs::current().messageBox(noticeParent.data(), QMessageBox::Information, QStringLiteral("Information"),
                                  QStringLiteral("New skins will be load on next startup!!"), QMessageBox::Ok,
                                  QMessageBox::Ok);
}
