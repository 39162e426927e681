#pragma once

#include "app/AppDir.h"
#include "app/Dialogs.h"
#include "app/SettingsLocation.h"
#include "app/modMain.h"
#include "options/OptionChoices.h"
#include "options/SoundPlayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QStringList>
#include <QTemporaryDir>

// Option choices a test sets directly: the skin and the five sound files.
class FakeOptionChoices : public OptionChoices
{
public:
    QString skin;

    QString skinName() const override { return skin; }
    bool joinRowInMain() const override { return false; }
    bool joinLeaveBalloon() const override { return false; }
    bool motdInMain() const override { return false; }
    bool motdInWindow() const override { return false; }
    bool motdInBalloon() const override { return false; }
    QString soundFile(int row) const override
    {
        return (row >= 1 && row <= 5) ? QStringLiteral("/sounds/row%1.wav").arg(row) : QString();
    }
};

class RecordingSoundPlayer : public SoundPlayer
{
public:
    QStringList played;
    void play(const QString &path) override { played.append(path); }
};

// Answers the print dialog: either cancels, or prints to a PDF file.
class AnsweringDialogs : public Dialogs
{
public:
    bool printAccepted = false;
    QString printFile;
    int printDialogs = 0;

    bool printDialog(QWidget *, QPrinter *printer) override
    {
        ++printDialogs;
        if (printAccepted) {
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(printFile);
        }
        return printAccepted;
    }
};

// Everything a main-window test swaps out: an application directory of its own (a build folder's)
// with the smiley pictures, option choices, sound player and dialogs, and a stop that only counts.
class ChatWindowFakes
{
public:
    QTemporaryDir appDir;
    FakeOptionChoices choices;
    RecordingSoundPlayer sounds;
    AnsweringDialogs dialogs;
    int stops = 0;

    void install()
    {
        const QString built = QCoreApplication::applicationDirPath() + QStringLiteral("/smile");
        QDir().mkpath(appDir.path() + QStringLiteral("/smile"));
        for (const QString &file : QDir(built).entryList(QDir::Files))
            QFile::copy(built + QLatin1Char('/') + file, appDir.path() + QStringLiteral("/smile/") + file);
        QFile(appDir.filePath(SettingsLocation::buildTreeMarker())).open(QIODevice::WriteOnly);
        setApplicationDirectory(appDir.path());
        dialogs.printFile = appDir.path() + QStringLiteral("/printed.pdf");
        OptionChoices::setCurrent(&choices);
        SoundPlayer::setCurrent(&sounds);
        Dialogs::setCurrent(&dialogs);
        modMain::SetStopAction([this] { ++stops; });
    }

    void uninstall()
    {
        OptionChoices::setCurrent(nullptr);
        SoundPlayer::setCurrent(nullptr);
        Dialogs::setCurrent(nullptr);
        setApplicationDirectory(QString());
    }
};
