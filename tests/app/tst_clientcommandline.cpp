#include "app/ClientCommandLine.h"
#include "app/modMain.h"

#include <QTest>

using Action = ClientCommandLine::Action;
Q_DECLARE_METATYPE(ClientCommandLine::Action)

class tst_ClientCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("settingsFile");
        QTest::addColumn<bool>("promptMode");

        QTest::newRow("nothing") << QStringList() << Action::RunProgram << "" << false;
        QTest::newRow("-prompt") << QStringList{"-prompt"} << Action::RunProgram << "" << true;
        QTest::newRow("-Prompt") << QStringList{"-Prompt"} << Action::ShowError << "" << false;
        QTest::newRow("-prompt with a trailing blank") << QStringList{"-prompt "} << Action::ShowError << "" << false;
        QTest::newRow("/prompt") << QStringList{"/prompt"} << Action::ShowError << "" << false;
        QTest::newRow("--prompt") << QStringList{"--prompt"} << Action::ShowError << "" << false;
        QTest::newRow("-prompt twice") << QStringList{"-prompt", "-prompt"} << Action::RunProgram << "" << false;
        QTest::newRow("unknown option") << QStringList{"--bogus"} << Action::ShowError << "" << false;
        QTest::newRow("unknown letter") << QStringList{"-x"} << Action::ShowError << "" << false;
        QTest::newRow("a word") << QStringList{"word"} << Action::ShowError << "" << false;
        QTest::newRow("-prompt and an unknown option") << QStringList{"-prompt", "--bogus"} << Action::ShowError << "" << false;
        QTest::newRow("--help and an unknown option") << QStringList{"--help", "--bogus"} << Action::ShowError << "" << false;
        QTest::newRow("a settings file named -prompt") << QStringList{"--settings", "-prompt"} << Action::RunProgram << "-prompt"
                                                       << false;
        QTest::newRow("--settings FILE") << QStringList{"--settings", "/tmp/a.ini"} << Action::RunProgram << "/tmp/a.ini" << false;
        QTest::newRow("--settings=FILE") << QStringList{"--settings=/tmp/a.ini"} << Action::RunProgram << "/tmp/a.ini" << false;
        QTest::newRow("--settings and -prompt") << QStringList{"--settings", "/tmp/a.ini", "-prompt"} << Action::RunProgram
                                                << "/tmp/a.ini" << true;
        QTest::newRow("-prompt and --settings") << QStringList{"-prompt", "--settings=/tmp/a.ini"} << Action::RunProgram
                                                << "/tmp/a.ini" << true;
        QTest::newRow("-settings FILE and -prompt") << QStringList{"-settings", "/tmp/a.ini", "-prompt"} << Action::RunProgram
                                                    << "/tmp/a.ini" << true;
        QTest::newRow("--settings without a file") << QStringList{"--settings"} << Action::ShowError << "" << false;
        QTest::newRow("--help") << QStringList{"--help"} << Action::ShowHelp << "" << false;
        QTest::newRow("-h") << QStringList{"-h"} << Action::ShowHelp << "" << false;
        QTest::newRow("--version") << QStringList{"--version"} << Action::ShowVersion << "" << false;
        QTest::newRow("-v") << QStringList{"-v"} << Action::ShowVersion << "" << false;
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Action, action);
        QFETCH(QString, settingsFile);
        QFETCH(bool, promptMode);

        const ClientCommandLine commandLine(arguments);
        QCOMPARE(commandLine.action(), action);
        QCOMPARE(commandLine.settingsFile(), settingsFile);
        QCOMPARE(modMain::IsPromptCommandLine(commandLine.remainingArguments()), promptMode);
        QCOMPARE(commandLine.output().isEmpty(), action == Action::RunProgram);
    }

    // The error names what was not understood, as the server's does.
    void errors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("named");
        QTest::newRow("unknown option") << QStringList{"--bogus"} << "'bogus'";
        QTest::newRow("after -prompt") << QStringList{"-prompt", "-x"} << "'x'";
        QTest::newRow("a word") << QStringList{"word"} << "word";
        QTest::newRow("no file") << QStringList{"--settings"} << "--settings";
    }

    void errors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, named);
        const QString output = ClientCommandLine(arguments).output();
        QVERIFY2(output.startsWith(QLatin1String("korvani: ")), qPrintable(output));
        QVERIFY2(output.section(QLatin1Char('\n'), 0, 0).contains(named), qPrintable(output));
        QVERIFY2(output.contains(QLatin1String("Usage: korvani")), qPrintable(output));
    }

    void answers()
    {
        QCOMPARE(ClientCommandLine({"--version"}).output(), QStringLiteral("korvani 1.1.1\n"));
        const QString help = ClientCommandLine({"--help"}).output();
        for (const char *option : {"--help", "--version", "--settings FILE", "-prompt"})
            QVERIFY2(help.contains(QLatin1String(option)), option);
    }
};

QTEST_GUILESS_MAIN(tst_ClientCommandLine)
#include "tst_clientcommandline.moc"
