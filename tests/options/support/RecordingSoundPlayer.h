#pragma once

#include "options/SoundPlayer.h"

#include <QStringList>

// Stands in for the real player and keeps every path it was asked to play, in order.
class RecordingSoundPlayer : public SoundPlayer
{
public:
    RecordingSoundPlayer() { SoundPlayer::setCurrent(this); }
    ~RecordingSoundPlayer() override { SoundPlayer::setCurrent(nullptr); }

    void play(const QString &path) override { played.append(path); }

    QStringList played;
};
