#include "support/RecordingSoundPlayer.h"
#include "support/TestAppDir.h"

#include "options/SoundEffectPlayer.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QRegularExpression>
#include <QSoundEffect>
#include <QTest>

namespace {

QList<QSoundEffect *> liveSounds(const SoundEffectPlayer &player)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return player.findChildren<QSoundEffect *>();
}

// The module has its own copy of the class, so the class is known by its name.
bool isRealPlayer(SoundPlayer &player)
{
    const auto *object = dynamic_cast<QObject *>(&player);
    return object && QLatin1String(object->metaObject()->className()) == QLatin1String("SoundEffectPlayer");
}

bool hasAudioOutput()
{
    return !QMediaDevices::defaultAudioOutput().isNull();
}

} // namespace

class tst_SoundPlayer : public QObject
{
    Q_OBJECT
private slots:
    // The real player comes from the sound module beside the program, made at the first sound.
    void theRealPlayerIsTheDefault()
    {
        QVERIFY(isRealPlayer(SoundPlayer::current()));
        {
            RecordingSoundPlayer recorder;
            QCOMPARE(&SoundPlayer::current(), static_cast<SoundPlayer *>(&recorder));
        }
        QVERIFY(isRealPlayer(SoundPlayer::current()));
    }

    // Whatever it is given, and with or without an audio device, the player returns at once and
    // the program hears nothing of it.
    void failuresNeverReachTheProgram()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        TestAppDir dir;
        const QStringList requests{dir.writeWave(QStringLiteral("one.wav")), dir.writeWave(QStringLiteral("two.wav")),
                                   dir.writeWave(QStringLiteral("three.wav")), dir.path() + QStringLiteral("/none.wav"),
                                   dir.writeWave(QStringLiteral("noise.wav"), false), QString(), dir.path()};
        SoundEffectPlayer player;
        for (const QString &request : requests) {
            player.play(request);
            QTest::qWait(50);
        }
        QTest::qWait(300);
        if (!hasAudioOutput())
            QVERIFY(liveSounds(player).isEmpty());
    }

    void newestRequestWins()
    {
        if (!hasAudioOutput())
            QSKIP("no audio output on this machine");
        TestAppDir dir;
        const QString first = dir.writeWave(QStringLiteral("first.wav"));
        const QString second = dir.writeWave(QStringLiteral("second.wav"));
        SoundEffectPlayer player;
        player.play(first);
        QList<QSoundEffect *> sounds = liveSounds(player);
        QCOMPARE(sounds.size(), 1);
        const QPointer<QSoundEffect> earlier = sounds.first();

        player.play(second);
        QVERIFY(!earlier || !earlier->isPlaying());
        sounds = liveSounds(player);
        QCOMPARE(sounds.size(), 1);
        QCOMPARE(sounds.first()->source(), QUrl::fromLocalFile(second));

        player.play(dir.path() + QStringLiteral("/missing.wav"));
        QVERIFY(liveSounds(player).isEmpty());
    }
};

QTEST_MAIN(tst_SoundPlayer)
#include "tst_soundplayer.moc"
