#pragma once

#include "SoundPlayer.h"

#include <QObject>
#include <QPointer>

class QSoundEffect;

// The program's player: one QSoundEffect per request, started at once. A new request stops and
// drops the sound still playing. Files that are missing or cannot be decoded, and machines without
// an audio output, play nothing; nothing is reported, and the multimedia stack's warnings about
// such cases are kept out of the program's output.
class SoundEffectPlayer : public QObject, public SoundPlayer
{
    Q_OBJECT
public:
    explicit SoundEffectPlayer(QObject *parent = nullptr);
    ~SoundEffectPlayer() override;

    void play(const QString &path) override;

private:
    void stopPlaying();

    QPointer<QSoundEffect> m_sound; // the newest request, while it lasts
};
