#include "app/AppDir.h"
#include "app/SettingsLocation.h"
#include "app/modMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_modMain : public QObject
{
    Q_OBJECT

    QTemporaryDir m_directory;

    void putSettings(const QByteArray &bytes)
    {
        QFile file(modMain::SettingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_directory.isValid());
        QFile(m_directory.filePath(SettingsLocation::buildTreeMarker())).open(QIODevice::WriteOnly);
        setApplicationDirectory(m_directory.path());
    }

    void cleanup()
    {
        QFile::remove(modMain::SettingsPath());
        QDir(m_directory.path()).rmdir(QStringLiteral("Options.ini"));
    }

    void promptMode_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("promptMode");
        QTest::newRow("no arguments") << QStringList() << false;
        QTest::newRow("-prompt") << QStringList{"-prompt"} << true;
        QTest::newRow("capital letter") << QStringList{"-Prompt"} << false;
        QTest::newRow("trailing blank") << QStringList{"-prompt "} << false;
        QTest::newRow("leading blank") << QStringList{" -prompt"} << false;
        QTest::newRow("slash") << QStringList{"/prompt"} << false;
        QTest::newRow("two dashes") << QStringList{"--prompt"} << false;
        QTest::newRow("another argument after it") << QStringList{"-prompt", "x"} << false;
        QTest::newRow("empty argument after it") << QStringList{"-prompt", ""} << false;
        QTest::newRow("another argument before it") << QStringList{"x", "-prompt"} << false;
    }

    void promptMode()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, promptMode);
        modMain::PromptMode = !promptMode;
        modMain::SetFlags(arguments);
        QCOMPARE(modMain::PromptMode, promptMode);
    }

    void flagsFromSettings_data()
    {
        QTest::addColumn<QByteArray>("settings"); // empty: no file
        QTest::addColumn<bool>("displayCorrectionOn");
        QTest::addColumn<bool>("soundsOn");
        QTest::newRow("no settings file") << QByteArray() << false << false;
        QTest::newRow("True and On") << QByteArray("[DisplayCorrection]\r\nOn=True\r\n[Sounds]\r\nValue=On\r\n") << true << true;
        QTest::newRow("lower case") << QByteArray("[DisplayCorrection]\r\nOn=true\r\n[Sounds]\r\nValue=on\r\n") << false << false;
        QTest::newRow("upper case") << QByteArray("[DisplayCorrection]\r\nOn=TRUE\r\n[Sounds]\r\nValue=ON\r\n") << false << false;
        QTest::newRow("False and Off") << QByteArray("[DisplayCorrection]\r\nOn=False\r\n[Sounds]\r\nValue=Off\r\n") << false << false;
        QTest::newRow("numbers") << QByteArray("[DisplayCorrection]\r\nOn=1\r\n[Sounds]\r\nValue=1\r\n") << false << false;
        QTest::newRow("empty values") << QByteArray("[DisplayCorrection]\r\nOn=\r\n[Sounds]\r\nValue=\r\n") << false << false;
        QTest::newRow("only sounds") << QByteArray("[Sounds]\r\nValue=On\r\n") << false << true;
        QTest::newRow("names in other letter case") << QByteArray("[displaycorrection]\r\non=True\r\n[SOUNDS]\r\nVALUE=On\r\n")
                                                    << true << true;
        QTest::newRow("sound file key is not the switch") << QByteArray("[Sounds]\r\nMessage=On\r\n") << false << false;
    }

    void flagsFromSettings()
    {
        QFETCH(QByteArray, settings);
        QFETCH(bool, displayCorrectionOn);
        QFETCH(bool, soundsOn);
        if (!settings.isEmpty())
            putSettings(settings);
        modMain::DisplayCorrectionOn = !displayCorrectionOn;
        modMain::SoundsOn = !soundsOn;
        modMain::SetFlags({});
        QCOMPARE(modMain::DisplayCorrectionOn, displayCorrectionOn);
        QCOMPARE(modMain::SoundsOn, soundsOn);
    }

    // Start-up goes on with both flags off when the settings cannot be read.
    void unreadableSettingsTurnFlagsOff()
    {
        QVERIFY(QDir(m_directory.path()).mkdir(QStringLiteral("Options.ini")));
        modMain::DisplayCorrectionOn = true;
        modMain::SoundsOn = true;
        modMain::SetFlags({});
        QVERIFY(!modMain::DisplayCorrectionOn);
        QVERIFY(!modMain::SoundsOn);
    }

    void tickedValues_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("1") << "1" << true;
        QTest::newRow("0") << "0" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("text") << "yes" << false;
        QTest::newRow("True") << "True" << false;
        QTest::newRow("other number") << "2" << false;
        QTest::newRow("negative") << "-1" << false;
        QTest::newRow("fraction") << "1.5" << false;
        QTest::newRow("number and text") << "1x" << false;
    }

    void tickedValues()
    {
        QFETCH(QString, stored);
        QFETCH(bool, ticked);
        QCOMPARE(modMain::IniTicked(stored), ticked);
    }
};

QTEST_GUILESS_MAIN(tst_modMain)
#include "tst_modmain.moc"
