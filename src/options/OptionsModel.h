#pragma once

#include "OptionChoices.h"

#include "app/ChatFeatures.h"
#include "app/LoadedSettings.h"
#include "app/modMain.h"

#include <QPointer>
#include <QString>
#include <QStringList>

class QWidget;

// Everything the options window edits: the option choices that other windows read, the saved sign-on
// fields and the two switches that Apply stores. The window keeps it in step with its controls, so
// a reader sees exactly what the window shows, applied or not. It lives as long as the window.
class OptionsModel final : public OptionChoices
{
public:
    enum class JoinLeaveNotice { None, Windows, Balloon }; // UMWindows / UMBalloon
    enum class MotdDisplay { None, Main, Windows, Balloon }; // modMain / modWindows / modBalloon

    static constexpr int SoundRowCount = 5;

    // "Blue Skin", "Black Skin", "Rad Skin", "Yellow Skin", "Green Skin": the list of styleIzbor.
    static QStringList skinNames();
    // "Message", "Private message", "System message", "User join", "User left" for rows 1..5.
    static QString soundRowText(int row);
    // The file a row plays when its key is empty, built from the application directory now.
    static QString defaultSoundFile(int row);

    // Fills every value from Options.ini. Lets pending events run once in the middle, so a reader
    // may meet a half-filled model while the window loads.
    void fill();

    // Stores in Options.ini every value that differs from the file as fill() found it (or as the
    // last apply() left it), and sets the global flags DisplayCorrectionOn and SoundsOn and the chat features in force. Lets pending events run between its steps; a skin notice is shown over noticeParent when the
    // skin changes to one of the five names, and so is the first failure to save in this run.
    // The caller keeps the model alive across the call.
    void apply(const QPointer<QWidget> &noticeParent);

    // OptionChoices
    QString skinName() const override { return m_skinName; }
    bool joinRowInMain() const override { return m_joinRowInMain; }
    bool joinLeaveBalloon() const override { return m_joinLeaveNotice == JoinLeaveNotice::Balloon; }
    bool motdInMain() const override { return m_motdDisplay == MotdDisplay::Main; }
    bool motdInWindow() const override { return m_motdDisplay == MotdDisplay::Windows; }
    bool motdInBalloon() const override { return m_motdDisplay == MotdDisplay::Balloon; }
    QString soundFile(int row) const override;

    void setSkinName(const QString &name) { m_skinName = name; }
    void setJoinRowInMain(bool ticked) { m_joinRowInMain = ticked; }
    JoinLeaveNotice joinLeaveNotice() const { return m_joinLeaveNotice; }
    void setJoinLeaveNotice(JoinLeaveNotice notice) { m_joinLeaveNotice = notice; }
    MotdDisplay motdDisplay() const { return m_motdDisplay; }
    void setMotdDisplay(MotdDisplay display) { m_motdDisplay = display; }
    // Rows outside 1..5 are ignored.
    void setSoundFile(int row, const QString &path);

    QString nickname() const { return m_nickname; }
    void setNickname(const QString &nickname) { m_nickname = nickname; }
    QString server() const { return m_server; }
    void setServer(const QString &server) { m_server = server; }
    bool autoConnect() const { return m_autoConnect; }
    void setAutoConnect(bool ticked) { m_autoConnect = ticked; }

    // Logging, reconnecting and notifications: in force from Apply on, like the sound switch.
    ChatFeatures chatFeatures() const { return m_chatFeatures; }
    void setChatFeatures(const ChatFeatures &features) { m_chatFeatures = features; }

    // The values Apply stores for "Display Correcting" and the sound switch.
    bool displayCorrectionChoice() const { return m_displayCorrectionChoice; }
    void setDisplayCorrectionChoice(bool on) { m_displayCorrectionChoice = on; }
    bool soundsChoice() const { return m_soundsChoice; }
    void setSoundsChoice(bool on) { m_soundsChoice = on; }

private:
    QList<modMain::IniValue> soundFileValues() const;
    void setSwitches() const;
    QList<modMain::IniValue> switchValues() const;
    QList<modMain::IniValue> signOnValues() const;
    QList<modMain::IniValue> joinLeaveValues() const;
    QList<modMain::IniValue> motdValues() const;
    void showSkinNoticeIfChanged(const QPointer<QWidget> &noticeParent) const;

    LoadedSettings m_loaded;
    QString m_skinName;
    bool m_joinRowInMain = false;
    JoinLeaveNotice m_joinLeaveNotice = JoinLeaveNotice::None;
    MotdDisplay m_motdDisplay = MotdDisplay::None;
    QStringList m_soundFiles = QStringList(SoundRowCount, QString()); // rows 1..5 at 0..4
    QString m_nickname;
    QString m_server;
    bool m_autoConnect = false;
    bool m_displayCorrectionChoice = false;
    bool m_soundsChoice = false;
    ChatFeatures m_chatFeatures;
};
