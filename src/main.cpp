#include "app/ClientCommandLine.h"
#include "app/FocusFrame.h"
#include "app/Form.h"
#include "app/FormRegistry.h"
#include "app/Pictures.h"
#include "app/SettingsLocation.h"
#include "app/WindowAccessibility.h"
#include "app/modMain.h"
#include "options/frmOptions.h"
#include "windows/frmChat.h"
#include "windows/frmSignon.h"

#include <QApplication>

#include <csignal>
#include <cstdio>

namespace modMain {
// Sets the flags and shows the sign-on window; everything after happens in window events.
void Main(const QStringList &arguments)
{
    SetFlags(arguments);
    // The sign-on window's connect step opens the chat window and starts its connection.
    frmSignon::setHandOver(&frmChat::signOn);
    // The options window shows the chat connection's local address, or this machine's.
    frmOptions::setLocalAddressSource(&frmChat::localAddress);
    Form<frmSignon>::get()->show();
}
} // namespace modMain

namespace {
// Help, version and a bad command line answer on the terminal, before any window system is needed.
int answerOnTerminal(const ClientCommandLine &commandLine)
{
    const bool failed = commandLine.action() == ClientCommandLine::Action::ShowError;
    std::fputs(commandLine.output().toLocal8Bit().constData(), failed ? stderr : stdout);
    return failed ? 2 : 0;
}

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}
} // namespace

int main(int argc, char *argv[])
{
    // Past a file size limit a write then fails like one on a full disk, which the settings file
    // reports, instead of killing the chat.
    std::signal(SIGXFSZ, SIG_IGN);
    const ClientCommandLine commandLine(argumentsOf(argc, argv));
    if (commandLine.action() != ClientCommandLine::Action::RunProgram)
        return answerOnTerminal(commandLine);

    // The name gives the configuration folder (~/.config/korvani) and the window class that the
    // desktop file's StartupWMClass matches; the desktop file name lets the desktop find the icon.
    QApplication::setApplicationName(QStringLiteral("korvani"));
    QApplication::setDesktopFileName(QStringLiteral("korvani"));
    QApplication application(argc, argv);
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(KORVANI_VERSION_MAJOR).arg(KORVANI_VERSION_MINOR).arg(KORVANI_VERSION_PATCH));
    // Every window and box carries the program's mark.
    QApplication::setWindowIcon(Pictures::programIcon());
    // Hidden windows count as loaded: the program ends when the last loaded window is unloaded,
    // not when the last visible one closes.
    QApplication::setQuitOnLastWindowClosed(false);
    FormRegistry::setOnLastUnloaded([] { QCoreApplication::quit(); });
    WindowAccessibility::install();
    FocusFrame::install();

    SettingsLocation::setFile(commandLine.settingsFile());
    modMain::Main(commandLine.remainingArguments());
    return QApplication::exec();
}
