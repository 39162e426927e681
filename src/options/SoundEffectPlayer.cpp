#include "SoundEffectPlayer.h"

#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace {

QtMessageHandler previousMessageHandler = nullptr;

// Qt 6.4 reports a missing sound server, a missing output device and an undecodable file with
// plain warnings in the default category, one per request; the program has nothing to tell the
// user about them. Later versions use the qt.multimedia categories.
bool isMultimediaChatter(const QMessageLogContext &context, const QString &message)
{
    if (context.category && QLatin1String(context.category).startsWith(QLatin1String("qt.multimedia")))
        return true;
    static const QLatin1String prefixes[] = {
        QLatin1String("QSoundEffect"),      QLatin1String("PulseAudioService"), QLatin1String("QPulseAudio"),
        QLatin1String("QAudioSink"),        QLatin1String("No audio device detected"),
    };
    for (const QLatin1String &prefix : prefixes) {
        if (message.startsWith(prefix))
            return true;
    }
    return false;
}

void dropMultimediaChatter(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg && isMultimediaChatter(context, message))
        return;
    previousMessageHandler(type, context, message);
}

// Chains in front of whatever handler is installed (the test runner's, for one), once per process.
void installChatterFilter()
{
    static const bool installed = [] {
        previousMessageHandler = qInstallMessageHandler(dropMultimediaChatter);
        return true;
    }();
    Q_UNUSED(installed);
}

bool hasAudioOutput()
{
    return !QMediaDevices::defaultAudioOutput().isNull();
}

} // namespace

SoundEffectPlayer::SoundEffectPlayer(QObject *parent)
    : QObject(parent)
{
    installChatterFilter();
}

SoundEffectPlayer::~SoundEffectPlayer()
{
    if (m_sound)
        m_sound->stop();
}

void SoundEffectPlayer::play(const QString &path)
{
    stopPlaying();
    if (!QFileInfo(path).isFile() || !hasAudioOutput())
        return;

    m_sound = new QSoundEffect(this);
    connect(m_sound, &QSoundEffect::statusChanged, this, [this, sound = m_sound] {
        if (sound == m_sound && sound->status() == QSoundEffect::Error)
            stopPlaying();
    });
    m_sound->setSource(QUrl::fromLocalFile(path));
    m_sound->play();
}

void SoundEffectPlayer::stopPlaying()
{
    if (!m_sound)
        return;
    m_sound->stop();
    m_sound->deleteLater(); // it may be the sender of the signal that brought us here
    m_sound = nullptr;
}
