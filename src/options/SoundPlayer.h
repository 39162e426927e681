#pragma once

#include <QString>

// Plays a wave file and returns at once; a new request stops the sound still playing; a file that
// cannot be played plays nothing; no failure reaches the caller. Tests install a recorder.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QString &path) = 0;

    static SoundPlayer &current();
    static void setCurrent(SoundPlayer *player); // not owned; nullptr restores the real player
};
