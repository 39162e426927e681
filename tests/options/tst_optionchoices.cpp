#include "support/FakeDialogs.h"
#include "support/TestAppDir.h"

#include "app/Form.h"
#include "options/OptionChoices.h"
#include "options/frmOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace {

const QString crlf = QStringLiteral("\r\n");

QString lines(const QStringList &list)
{
    return list.join(crlf) + crlf;
}

// "{app}" stands for the application directory, which each test makes afresh.
QStringList inAppDir(const QStringList &paths, const QString &appDir)
{
    QStringList result;
    for (const QString &path : paths)
        result.append(QString(path).replace(QStringLiteral("{app}"), appDir));
    return result;
}

const QStringList defaultSounds{
    QStringLiteral("{app}/sound/message.wav"), QStringLiteral("{app}/sound/pmprivate.wav"),
    QStringLiteral("{app}/sound/system.wav"), QStringLiteral("{app}/sound/message.wav"),
    QStringLiteral("{app}/sound/message.wav")};

QString checkedJoinLeave(const frmOptions *window)
{
    for (const QRadioButton *button : {window->UMWindows, window->UMBalloon}) {
        if (button->isChecked())
            return button->objectName();
    }
    return QString();
}

QString checkedMotd(const frmOptions *window)
{
    for (const QRadioButton *button : {window->modMain, window->modWindows, window->modBalloon}) {
        if (button->isChecked())
            return button->objectName();
    }
    return QString();
}

class FixedChoices : public OptionChoices
{
public:
    QString skinName() const override { return QStringLiteral("Rad Skin"); }
    bool joinRowInMain() const override { return true; }
    bool joinLeaveBalloon() const override { return false; }
    bool motdInMain() const override { return false; }
    bool motdInWindow() const override { return true; }
    bool motdInBalloon() const override { return false; }
    QString soundFile(int) const override { return QStringLiteral("/fixed.wav"); }
};

} // namespace

class tst_OptionChoices : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<TestAppDir>();
        m_dialogs = std::make_unique<FakeDialogs>();
    }
    void cleanup()
    {
        m_dialogs.reset();
        m_dir.reset();
    }

    void fillsFromSettings_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("skin");
        QTest::addColumn<bool>("joinRow");
        QTest::addColumn<QString>("joinLeave");
        QTest::addColumn<QString>("motd");
        QTest::addColumn<QStringList>("sounds");

        QTest::newRow("no settings file") << QString() << "" << false << "UMBalloon" << "modMain" << defaultSounds;
        QTest::newRow("every key stored")
            << lines({"[Sounds]", "Message=/snd/a.wav", "PM_message=/snd/b.wav", "System=/snd/c.wav",
                      "Login=/snd/d.wav", "Logout=/snd/e.wav", "[Message]", "Umain=1", "UMsg=Win", "mssg=Windows",
                      "[Interface]", "Style=Black Skin"})
            << "Black Skin" << true << "UMWindows" << "modWindows"
            << QStringList{"/snd/a.wav", "/snd/b.wav", "/snd/c.wav", "/snd/d.wav", "/snd/e.wav"};
        QTest::newRow("Ball and Balloon") << lines({"[Message]", "UMsg=Ball", "mssg=Balloon", "Umain=0"}) << ""
                                          << false << "UMBalloon" << "modBalloon" << defaultSounds;
        QTest::newRow("a value of the other group selects neither")
            << lines({"[Message]", "UMsg=Balloon", "mssg=Win"}) << "" << false << "" << "" << defaultSounds;
        QTest::newRow("letter case counts")
            << lines({"[Message]", "UMsg=win", "mssg=main"}) << "" << false << "" << "" << defaultSounds;
        QTest::newRow("empty sound keys take the defaults")
            << lines({"[Sounds]", "Message=", "PM_message=", "System=/snd/c.wav", "Login=", "Logout="}) << "" << false
            << "UMBalloon" << "modMain"
            << QStringList{"{app}/sound/message.wav", "{app}/sound/pmprivate.wav", "/snd/c.wav",
                           "{app}/sound/message.wav", "{app}/sound/message.wav"};
        QTest::newRow("Umain that is not an integer reads unticked")
            << lines({"[Message]", "Umain=x"}) << "" << false << "UMBalloon" << "modMain" << defaultSounds;
        QTest::newRow("a skin that is not in the list")
            << lines({"[Interface]", "Style=Purple Skin"}) << "Purple Skin" << false << "UMBalloon" << "modMain"
            << defaultSounds;
    }
    void fillsFromSettings()
    {
        QFETCH(QString, settings);
        QFETCH(QString, skin);
        QFETCH(bool, joinRow);
        QFETCH(QString, joinLeave);
        QFETCH(QString, motd);
        QFETCH(QStringList, sounds);
        sounds = inAppDir(sounds, m_dir->path());
        m_dir->writeSettings(settings);

        // Read first, as the main window does; the options window, opened later, shows them.
        const OptionChoices &choices = OptionChoices::current();
        QVERIFY(!Form<frmOptions>::isLoaded());
        const frmOptions *window = Form<frmOptions>::get();
        QCOMPARE(&window->choices(), &choices);

        QCOMPARE(choices.skinName(), skin);
        QCOMPARE(window->styleIzbor->currentText(), skin);
        QCOMPARE(choices.joinRowInMain(), joinRow);
        QCOMPARE(window->ChkMain->isChecked(), joinRow);
        QCOMPARE(checkedJoinLeave(window), joinLeave);
        QCOMPARE(choices.joinLeaveBalloon(), joinLeave == QLatin1String("UMBalloon"));
        QCOMPARE(checkedMotd(window), motd);
        QCOMPARE(choices.motdInMain(), motd == QLatin1String("modMain"));
        QCOMPARE(choices.motdInWindow(), motd == QLatin1String("modWindows"));
        QCOMPARE(choices.motdInBalloon(), motd == QLatin1String("modBalloon"));
        QCOMPARE(window->soundlist->topLevelItemCount(), 5);
        const QStringList rowTexts{"Message", "Private message", "System message", "User join", "User left"};
        for (int row = 1; row <= 5; ++row) {
            QCOMPARE(choices.soundFile(row), sounds.at(row - 1));
            QCOMPARE(window->soundlist->topLevelItem(row - 1)->text(0), rowTexts.at(row - 1));
            QCOMPARE(window->soundlist->topLevelItem(row - 1)->text(1), sounds.at(row - 1));
        }
        QCOMPARE(window->soundlist->currentItem(), window->soundlist->topLevelItem(0));
        QCOMPARE(choices.soundFile(0), QString());
        QCOMPARE(choices.soundFile(6), QString());

        // Defaults are not written back by a load.
        QCOMPARE(m_dir->settings(), settings.isNull() ? QString() : settings);
        QCOMPARE(m_dir->hasSettings(), !settings.isNull());
    }

    // The settings are read once, without the window; the window takes those very choices over.
    void readingLeavesTheWindowUnloaded()
    {
        const OptionChoices *first = &OptionChoices::current();
        QVERIFY(!Form<frmOptions>::isLoaded());
        m_dir->writeSettings(lines({"[Interface]", "Style=Green Skin"}));
        QCOMPARE(&OptionChoices::current(), first);
        QCOMPARE(first->skinName(), QString());
        frmOptions *window = Form<frmOptions>::get();
        QCOMPARE(&OptionChoices::current(), first);
        QCOMPARE(window->styleIzbor->currentText(), QString());
    }

    void typedSkinIsReadAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("start of a listed name") << "Gre";
        QTest::newRow("a listed name") << "Green Skin";
        QTest::newRow("lower case of a listed name") << "blue skin";
        QTest::newRow("leading blank") << " Blue Skin";
    }
    void typedSkinIsReadAsTyped()
    {
        QFETCH(QString, typed);
        frmOptions *window = frmOptions::open();
        QVERIFY(QTest::qWaitForWindowActive(window));
        window->styleIzbor->setFocus();
        window->styleIzbor->lineEdit()->clear();
        QTest::keyClicks(window->styleIzbor->lineEdit(), typed);
        QCOMPARE(OptionChoices::current().skinName(), typed);
        QCOMPARE(window->styleIzbor->count(), 5);
    }

    void unappliedChangesAreLiveUntilClosed_data()
    {
        QTest::addColumn<QString>("close");
        QTest::addColumn<bool>("readBeforeOpening");
        QTest::newRow("Cancel") << "Cancel" << false;
        QTest::newRow("close box") << "close box" << false;
        QTest::newRow("Cancel, choices read before") << "Cancel" << true;
        QTest::newRow("close box, choices read before") << "close box" << true;
    }
    void unappliedChangesAreLiveUntilClosed()
    {
        QFETCH(QString, close);
        QFETCH(bool, readBeforeOpening);
        const QString stored = lines({"[Sounds]", "Message=/stored/message.wav", "[Message]", "Umain=0", "UMsg=Ball",
                                      "mssg=Main", "[Interface]", "Style=Blue Skin"});
        m_dir->writeSettings(stored);
        if (readBeforeOpening)
            QCOMPARE(OptionChoices::current().skinName(), QStringLiteral("Blue Skin"));
        frmOptions *window = Form<frmOptions>::get();
        window->show();

        window->styleIzbor->setCurrentIndex(4);
        window->ChkMain->click();
        window->UMWindows->click();
        window->modBalloon->click();
        m_dialogs->fileAnswers = QStringList{QStringLiteral("/new/message.wav")};
        window->Command1->click();

        const OptionChoices &live = OptionChoices::current();
        QCOMPARE(live.skinName(), QStringLiteral("Green Skin"));
        QVERIFY(live.joinRowInMain());
        QVERIFY(!live.joinLeaveBalloon());
        QVERIFY(live.motdInBalloon());
        QVERIFY(!live.motdInMain());
        QCOMPARE(live.soundFile(1), QStringLiteral("/new/message.wav"));

        if (close == QLatin1String("Cancel"))
            window->cmdCancel->click();
        else
            window->close();
        QVERIFY(!Form<frmOptions>::isLoaded());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        const OptionChoices &reloaded = OptionChoices::current();
        QCOMPARE(reloaded.skinName(), QStringLiteral("Blue Skin"));
        QVERIFY(!reloaded.joinRowInMain());
        QVERIFY(reloaded.joinLeaveBalloon());
        QVERIFY(reloaded.motdInMain());
        QCOMPARE(reloaded.soundFile(1), QStringLiteral("/stored/message.wav"));
        QVERIFY(!Form<frmOptions>::isLoaded());
        QCOMPARE(m_dir->settings(), stored);
    }

    void installedChoicesReplaceTheWindow()
    {
        FixedChoices fixed;
        OptionChoices::setCurrent(&fixed);
        QCOMPARE(&OptionChoices::current(), &fixed);
        QCOMPARE(OptionChoices::current().skinName(), QStringLiteral("Rad Skin"));
        QVERIFY(!Form<frmOptions>::isLoaded());

        OptionChoices::setCurrent(nullptr);
        QCOMPARE(OptionChoices::current().skinName(), QString());
        QVERIFY(!Form<frmOptions>::isLoaded());
    }

private:
    std::unique_ptr<TestAppDir> m_dir;
    std::unique_ptr<FakeDialogs> m_dialogs;
};

QTEST_MAIN(tst_OptionChoices)
#include "tst_optionchoices.moc"
