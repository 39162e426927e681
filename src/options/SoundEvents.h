#pragma once

#include <QString>

// Sound rows: 1 "Message", 2 "Private message", 3 "System message", 4 "User join", 5 "User left".
namespace SoundEvents {

// The path of a sound row as the option choices hold it now (unapplied changes included).
QString SoundFile(int row);

// Plays a sound row when SoundsOn is on; otherwise does nothing and loads nothing.
void PlaySoundEvent(int row);

} // namespace SoundEvents
