#include "ClientCommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace {

const QString settingsOption = QStringLiteral("settings");

QString programVersion()
{
    return QStringLiteral("%1.%2.%3").arg(KORVANI_VERSION_MAJOR).arg(KORVANI_VERSION_MINOR).arg(KORVANI_VERSION_PATCH);
}

QString helpText()
{
    return QStringLiteral(
        "Usage: korvani [--settings FILE] [-prompt]\n"
        "Korvani chat client.\n"
        "\n"
        "Options:\n"
        "  -h, --help         Shows this help and ends.\n"
        "  -v, --version      Shows the version and ends.\n"
        "  --settings FILE    Keeps the settings in FILE instead of ~/.config/korvani/Options.ini\n"
        "                     (or Options.ini beside the program in a build folder or a portable copy).\n"
        "  -prompt            Offers the prompt window, which sends raw commands to the server;\n"
        "                     only when it is the one other argument.\n");
}

// The arguments without "--settings FILE" / "--settings=FILE", in their order. One dash does as
// well as two, as for every option of the parser below.
QStringList withoutSettings(const QStringList &arguments)
{
    QStringList remaining;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--settings") || argument == QLatin1String("-settings"))
            ++i;
        else if (!argument.startsWith(QLatin1String("--settings=")) && !argument.startsWith(QLatin1String("-settings=")))
            remaining.append(argument);
    }
    return remaining;
}

// The arguments for the option parser. The prompt switch is only ever the exact word "-prompt",
// which the parser would take in other spellings too ("--prompt"), so it is left out here, unless
// it is the file after --settings.
QStringList withoutPromptSwitch(const QStringList &arguments)
{
    QStringList remaining;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--settings") || argument == QLatin1String("-settings"))
            remaining.append(arguments.mid(i++, 2));
        else if (argument != QLatin1String("-prompt"))
            remaining.append(argument);
    }
    return remaining;
}

QString errorText(const QString &problem)
{
    return QStringLiteral("korvani: %1\n").arg(problem) + helpText();
}

} // namespace

ClientCommandLine::ClientCommandLine(const QStringList &arguments)
    : m_remaining(withoutSettings(arguments))
{
    // "-prompt" reads as one word, not as the letters p, r, o, m, p, t. Anything else the program
    // does not know stops it with a message, as a mistyped option would otherwise pass unnoticed.
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption settings(settingsOption, QString(), QStringLiteral("FILE"));
    parser.addOptions({help, version, settings});
    const bool understood = parser.parse(QStringList{QStringLiteral("korvani")} + withoutPromptSwitch(arguments));

    if (!understood) {
        m_action = Action::ShowError;
        m_output = errorText(parser.errorText());
    } else if (!parser.positionalArguments().isEmpty()) {
        m_action = Action::ShowError;
        m_output = errorText(QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().constFirst()));
    } else if (parser.isSet(help)) {
        m_action = Action::ShowHelp;
        m_output = helpText();
    } else if (parser.isSet(version)) {
        m_action = Action::ShowVersion;
        m_output = QStringLiteral("korvani %1\n").arg(programVersion());
    } else if (parser.isSet(settings) && parser.value(settings).isEmpty()) {
        m_action = Action::ShowError;
        m_output = errorText(QStringLiteral("--settings needs a file name."));
    } else {
        m_settingsFile = parser.value(settings);
    }
}
