#pragma once

class QObject;
class SoundPlayer;

// The module korvani-sound holds the player over Qt Multimedia. Qt Multimedia brings its audio
// back-end with it (PulseAudio and a dozen codec libraries), so the program loads the module at
// its first sound rather than linking it: a session with sounds off never maps them.
namespace SoundModule {

// The module's one entry point: a new player belonging to parent.
using CreatePlayer = SoundPlayer *(*)(QObject *parent);
inline constexpr char CreatePlayerSymbol[] = "korvaniCreateSoundPlayer";

// Loads the module (beside the program, else where it is installed) and makes its player;
// nullptr when the module cannot be loaded.
SoundPlayer *createPlayer(QObject *parent);

} // namespace SoundModule
