#include "SoundPlayer.h"

#include "SoundModule.h"

#include <QCoreApplication>
#include <QPointer>

namespace {
SoundPlayer *&installed()
{
    static SoundPlayer *player = nullptr;
    return player;
}

// A machine where the sound module is missing plays nothing, as for a file that cannot be played.
class SilentPlayer : public QObject, public SoundPlayer
{
public:
    using QObject::QObject;
    void play(const QString &) override {}
};

// The real player belongs to the application object, so its sounds end with the application.
// It is made at the first sound: see SoundModule.
SoundPlayer &realPlayer()
{
    static QPointer<QObject> owner;
    static SoundPlayer *player = nullptr;
    if (!owner) {
        QObject *application = QCoreApplication::instance();
        player = SoundModule::createPlayer(application);
        if (!player)
            player = new SilentPlayer(application);
        owner = dynamic_cast<QObject *>(player);
    }
    return *player;
}
} // namespace

SoundPlayer &SoundPlayer::current()
{
    return installed() ? *installed() : realPlayer();
}

void SoundPlayer::setCurrent(SoundPlayer *player)
{
    installed() = player;
}
