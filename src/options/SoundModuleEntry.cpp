// The entry point of the module korvani-sound (see SoundModule.h).

#include "SoundEffectPlayer.h"
#include "SoundModule.h"

#include <type_traits>

extern "C" Q_DECL_EXPORT SoundPlayer *korvaniCreateSoundPlayer(QObject *parent)
{
    return new SoundEffectPlayer(parent);
}

static_assert(std::is_same_v<decltype(&korvaniCreateSoundPlayer), SoundModule::CreatePlayer>);
