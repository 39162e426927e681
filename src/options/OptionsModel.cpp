#include "OptionsModel.h"

#include "app/AppDir.h"
#include "app/Dialogs.h"
#include "app/PendingEvents.h"
#include "app/SettingsKeys.h"
#include "app/SignOnSettings.h"
#include "app/modMain.h"

#include <QWidget>

#include <array>

using namespace SettingsKeys;

namespace {

struct SoundRow
{
    const char *text;
    QLatin1String key;       // in section Sounds
    const char *defaultFile; // under the application directory
};

constexpr std::array<SoundRow, OptionsModel::SoundRowCount> soundRows{{
    {"Message", MessageSoundKey, "/sound/message.wav"},
    {"Private message", PrivateMessageSoundKey, "/sound/pmprivate.wav"},
    {"System message", SystemSoundKey, "/sound/system.wav"},
    {"User join", UserJoinSoundKey, "/sound/message.wav"},
    {"User left", UserLeftSoundKey, "/sound/message.wav"},
}};

bool isSoundRow(int row)
{
    return row >= 1 && row <= OptionsModel::SoundRowCount;
}

QString read(QLatin1String section, QLatin1String key)
{
    return modMain::ReadIni(section, key, modMain::SettingsPath());
}

// Apply's writes: each group is one replacement of the file, of the values the window changed; the
// first failure is kept for the user.
class SettingsWrites
{
public:
    explicit SettingsWrites(LoadedSettings &loaded)
        : m_loaded(loaded)
    {
    }

    void store(const QList<modMain::IniValue> &values)
    {
        const QList<modMain::IniValue> changes = m_loaded.changed(values);
        if (changes.isEmpty())
            return;
        QString reason;
        if (modMain::WriteIniValues(changes, modMain::SettingsPath(), &reason))
            m_loaded.remember(changes);
        else if (m_failure.isEmpty())
            m_failure = reason;
    }
    QString failure() const { return m_failure; }

private:
    LoadedSettings &m_loaded;
    QString m_failure;
};

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
    m_loaded.load(modMain::SettingsPath());
    for (int row = 1; row <= SoundRowCount; ++row) {
        const QString stored = read(SoundsSection, soundRows[row - 1].key);
        m_soundFiles[row - 1] = stored.isEmpty() ? defaultSoundFile(row) : stored;
    }

    const SignOnSettings signOn = SignOnSettings::read();
    m_nickname = signOn.user;
    m_server = signOn.server;
    m_autoConnect = signOn.autoConnect;
    const QString storedMotd = read(MessageSection, MotdKey);
    const QString storedJoinRow = read(MessageSection, JoinRowInMainKey);
    const QString storedJoinLeave = read(MessageSection, JoinLeaveNoticeKey);
    m_skinName = read(InterfaceSection, SkinKey);
    m_chatFeatures = ChatFeatures::read();

    m_joinLeaveNotice = joinLeaveNoticeFromStored(storedJoinLeave);
    LetPendingEventsRun();
    m_motdDisplay = motdDisplayFromStored(storedMotd);
    // A missing key before the first Apply, or a hand-edited value that is not an integer, reads
    // as unticked rather than stopping the load.
    m_joinRowInMain = modMain::IniTicked(storedJoinRow);
}

// Only the values that differ from the file as the window loaded it are written: another instance of
// the program may have changed the others since. Handlers that run during Apply's yields may read
// the file (a sign-on window reopened after a lost connection), so the keys written before each
// yield are on disk by then: at most four replacements, one per stretch between yields, each
// holding its keys in the order the steps name them.
void OptionsModel::apply(const QPointer<QWidget> &noticeParent)
{
    SettingsWrites writes(m_loaded);
    writes.store(soundFileValues());
    LetPendingEventsRun();
    setSwitches();
    writes.store(switchValues() + signOnValues()
                 + QList<modMain::IniValue>{{MessageSection, JoinRowInMainKey, modMain::IniTickValue(m_joinRowInMain)}}
                 + joinLeaveValues());
    LetPendingEventsRun();
    writes.store(motdValues());
    LetPendingEventsRun();
    showSkinNoticeIfChanged(noticeParent);
    writes.store(QList<modMain::IniValue>{{InterfaceSection, SkinKey, m_skinName.trimmed()}} + m_chatFeatures.values());
    if (!writes.failure().isEmpty())
        modMain::TellSettingsNotSaved(noticeParent.data(), writes.failure());
}

QList<modMain::IniValue> OptionsModel::soundFileValues() const
{
    QList<modMain::IniValue> values;
    for (int row = 1; row <= SoundRowCount; ++row)
        values.append({SoundsSection, soundRows[row - 1].key, m_soundFiles.at(row - 1).trimmed()});
    return values;
}

// The flags change even when the file cannot be written: the running program follows the choice.
void OptionsModel::setSwitches() const
{
    modMain::DisplayCorrectionOn = m_displayCorrectionChoice;
    modMain::SoundsOn = m_soundsChoice;
    ChatFeatures::setInForce(m_chatFeatures);
}

QList<modMain::IniValue> OptionsModel::switchValues() const
{
    return {{DisplayCorrectionSection, DisplayCorrectionOnKey,
             m_displayCorrectionChoice ? QStringLiteral("True") : QStringLiteral("False")},
            {SoundsSection, SoundsOnKey, m_soundsChoice ? QStringLiteral("On") : QStringLiteral("Off")}};
}

QList<modMain::IniValue> OptionsModel::signOnValues() const
{
    return SignOnSettings{m_nickname, m_server, m_autoConnect}.values();
}

// A group without a selection (an unknown stored value) keeps what is stored.
QList<modMain::IniValue> OptionsModel::joinLeaveValues() const
{
    if (m_joinLeaveNotice == JoinLeaveNotice::Windows)
        return {{MessageSection, JoinLeaveNoticeKey, QStringLiteral("Win")}};
    if (m_joinLeaveNotice == JoinLeaveNotice::Balloon)
        return {{MessageSection, JoinLeaveNoticeKey, QStringLiteral("Ball")}};
    return {};
}

QList<modMain::IniValue> OptionsModel::motdValues() const
{
    if (m_motdDisplay == MotdDisplay::Main)
        return {{MessageSection, MotdKey, QStringLiteral("Main")}};
    if (m_motdDisplay == MotdDisplay::Windows)
        return {{MessageSection, MotdKey, QStringLiteral("Windows")}};
    if (m_motdDisplay == MotdDisplay::Balloon)
        return {{MessageSection, MotdKey, QStringLiteral("Balloon")}};
    return {};
}

// The main window takes its skin only when it loads, so a new skin waits for the next start.
// Only one of the five names counts, compared untrimmed, as the user sees it in the box.
void OptionsModel::showSkinNoticeIfChanged(const QPointer<QWidget> &noticeParent) const
{
    const QString storedSkin = read(InterfaceSection, SkinKey);
    if (m_skinName == storedSkin || !skinNames().contains(m_skinName))
        return;
    Dialogs::current().messageBox(noticeParent.data(), QMessageBox::Information, QStringLiteral("Information"),
                                  QStringLiteral("New skins will be load on next startup!!"), QMessageBox::Ok,
                                  QMessageBox::Ok);
}
