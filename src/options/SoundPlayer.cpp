#include "SoundPlayer.h"

#include "SoundEffectPlayer.h"

#include <QCoreApplication>
#include <QPointer>

namespace {
SoundPlayer *&installed()
{
    static SoundPlayer *player = nullptr;
    return player;
}

// The real player belongs to the application object, so its sounds end with the application.
SoundPlayer &realPlayer()
{
    static QPointer<SoundEffectPlayer> player;
    if (!player)
        player = new SoundEffectPlayer(QCoreApplication::instance());
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
