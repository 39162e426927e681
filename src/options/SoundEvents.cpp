#include "SoundEvents.h"

#include "OptionChoices.h"
#include "SoundPlayer.h"
#include "app/modMain.h"

namespace SoundEvents {

QString SoundFile(int row)
{
    return OptionChoices::current().soundFile(row);
}

void PlaySoundEvent(int row)
{
    if (!modMain::SoundsOn)
        return;
    SoundPlayer::current().play(SoundFile(row));
}

} // namespace SoundEvents
