#pragma once

#include <QString>
#include <QTemporaryDir>

// A temporary application directory for one test, a build folder's: Options.ini, sound/ and the
// program's flags start empty, and everything is put back when it goes.
class TestAppDir
{
public:
    TestAppDir();
    ~TestAppDir();

    QString path() const;
    QString settingsPath() const;

    // Options.ini as raw text; a null text removes the file.
    void writeSettings(const QString &text) const;
    QString settings() const; // "" when there is no file
    bool hasSettings() const;

    // A short valid wave file (or, with valid false, a file that is not audio) under the directory.
    QString writeWave(const QString &name, bool valid = true) const;

private:
    QTemporaryDir m_directory;
};

// Unloads the options window, if loaded, and lets the deferred deletion happen.
void unloadOptionsWindow();
