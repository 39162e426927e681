#include "support/OptionsFakes.h"

#include "app/Form.h"
#include "app/modMain.h"
#include "options/SoundEvents.h"
#include "options/frmOptions.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace {
const QString storedSounds = QStringLiteral("[Sounds]\r\nMessage=/s/message.wav\r\nPM_message=/s/pm.wav\r\n"
                                            "System=/s/system.wav\r\nLogin=/s/join.wav\r\nLogout=/s/left.wav\r\n");
} // namespace

class tst_SoundEvents : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_fakes = std::make_unique<OptionsFakes>();
        m_fakes->dir.writeSettings(storedSounds);
    }
    void cleanup()
    {
        m_fakes.reset();
    }

    void eventsPlayTheirRowWhenSoundsAreOn_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("file");
        QTest::newRow("Message") << 1 << "/s/message.wav";
        QTest::newRow("Private message") << 2 << "/s/pm.wav";
        QTest::newRow("System message") << 3 << "/s/system.wav";
        QTest::newRow("User join") << 4 << "/s/join.wav";
        QTest::newRow("User left") << 5 << "/s/left.wav";
    }
    void eventsPlayTheirRowWhenSoundsAreOn()
    {
        QFETCH(int, row);
        QFETCH(QString, file);
        modMain::SoundsOn = true;
        QCOMPARE(SoundEvents::SoundFile(row), file);
        SoundEvents::PlaySoundEvent(row);
        QCOMPARE(m_fakes->player.played, QStringList{file});
    }

    void soundsOffPlaysNothingAndLoadsNothing()
    {
        modMain::SoundsOn = false;
        for (int row = 1; row <= 5; ++row)
            SoundEvents::PlaySoundEvent(row);
        QVERIFY(m_fakes->player.played.isEmpty());
        QVERIFY(!Form<frmOptions>::isLoaded());
    }

    void soundFileIsReadWithoutLoadingTheWindow()
    {
        QCOMPARE(SoundEvents::SoundFile(3), QStringLiteral("/s/system.wav"));
        QVERIFY(!Form<frmOptions>::isLoaded());
        QCOMPARE(SoundEvents::SoundFile(7), QString());
    }

    // The box in the window is only a choice; events follow the switch once it is applied.
    void theSwitchTakesEffectWithApply()
    {
        modMain::SoundsOn = true;
        frmOptions *window = Form<frmOptions>::get();
        window->show();
        window->chkSound->click();
        SoundEvents::PlaySoundEvent(1);
        QCOMPARE(m_fakes->player.played.size(), 1);

        window->cmdApply->click();
        SoundEvents::PlaySoundEvent(1);
        QCOMPARE(m_fakes->player.played.size(), 1);

        // "play" is not an event: it plays with the switch off.
        window->Command2->click();
        QCOMPARE(m_fakes->player.played.size(), 2);

        window->chkSound->click();
        window->cmdApply->click();
        SoundEvents::PlaySoundEvent(2);
        QCOMPARE(m_fakes->player.played.last(), QStringLiteral("/s/pm.wav"));
    }

    void unappliedPathIsPlayedUntilCancel()
    {
        modMain::SoundsOn = true;
        frmOptions *window = Form<frmOptions>::get();
        window->show();
        window->soundlist->setCurrentItem(window->soundlist->topLevelItem(4));
        m_fakes->dialogs.fileAnswers = QStringList{QStringLiteral("/new/left.wav")};
        window->Command1->click();
        SoundEvents::PlaySoundEvent(5);
        window->cmdCancel->click();
        SoundEvents::PlaySoundEvent(5);
        QCOMPARE(m_fakes->player.played, QStringList({"/new/left.wav", "/s/left.wav"}));
    }

private:
    std::unique_ptr<OptionsFakes> m_fakes;
};

QTEST_MAIN(tst_SoundEvents)
#include "tst_soundevents.moc"
