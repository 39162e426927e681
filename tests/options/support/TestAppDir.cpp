#include "TestAppDir.h"

#include "app/AppDir.h"
#include "app/Form.h"
#include "app/SettingsLocation.h"
#include "app/modMain.h"
#include "options/frmOptions.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
void resetFlags()
{
    modMain::PromptMode = false;
    modMain::DisplayCorrectionOn = false;
    modMain::SoundsOn = false;
}
} // namespace

TestAppDir::TestAppDir()
{
    setApplicationDirectory(m_directory.path());
    QDir(m_directory.path()).mkpath(QStringLiteral("sound"));
    QFile(m_directory.filePath(SettingsLocation::buildTreeMarker())).open(QIODevice::WriteOnly);
    resetFlags();
}

TestAppDir::~TestAppDir()
{
    unloadOptionsWindow();
    setApplicationDirectory(QString());
    resetFlags();
}

QString TestAppDir::path() const
{
    return QDir::cleanPath(m_directory.path());
}

QString TestAppDir::settingsPath() const
{
    return path() + QStringLiteral("/Options.ini");
}

void TestAppDir::writeSettings(const QString &text) const
{
    QFile::remove(settingsPath());
    if (text.isNull())
        return;
    QFile file(settingsPath());
    if (file.open(QIODevice::WriteOnly))
        file.write(text.toUtf8());
}

QString TestAppDir::settings() const
{
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool TestAppDir::hasSettings() const
{
    return QFileInfo::exists(settingsPath());
}

QString TestAppDir::writeWave(const QString &name, bool valid) const
{
    const QString file = path() + QLatin1Char('/') + name;
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return file;
    if (!valid) {
        out.write("this is not a wave file");
        return file;
    }
    // 0.1 s of silence, 8 kHz, 16-bit mono PCM.
    const quint32 sampleRate = 8000;
    const quint32 dataBytes = sampleRate / 10 * 2;
    QDataStream stream(&out);
    stream.setByteOrder(QDataStream::LittleEndian);
    stream.writeRawData("RIFF", 4);
    stream << quint32(36 + dataBytes);
    stream.writeRawData("WAVEfmt ", 8);
    stream << quint32(16) << quint16(1) << quint16(1) << sampleRate << quint32(sampleRate * 2) << quint16(2)
           << quint16(16);
    stream.writeRawData("data", 4);
    stream << dataBytes;
    out.write(QByteArray(int(dataBytes), '\0'));
    return file;
}

void unloadOptionsWindow()
{
    Form<frmOptions>::unload();
    frmOptions::forgetChoicesReadAhead();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
