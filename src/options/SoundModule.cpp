#include "SoundModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace SoundModule {

namespace {
QStringList places()
{
    const QString program = QCoreApplication::applicationDirPath();
    const QString file = QStringLiteral("/korvani-sound.so");
    return {program + file,
            QDir::cleanPath(program + QLatin1Char('/') + QStringLiteral(KORVANI_SOUND_MODULE_FROM_PROGRAM)) + file};
}
} // namespace

SoundPlayer *createPlayer(QObject *parent)
{
    for (const QString &place : places()) {
        // Never unloaded: the player and the message filter it installs live in the module.
        QLibrary module(place);
        if (const auto create = reinterpret_cast<CreatePlayer>(module.resolve(CreatePlayerSymbol)))
            return create(parent);
    }
    return nullptr;
}

} // namespace SoundModule
