#include "app/Form.h"
#include "app/FormRegistry.h"
#include "app/WindowAccessibility.h"
#include "app/modMain.h"
#include "windows/frmChat.h"
#include "windows/frmSignon.h"

#include <QApplication>

namespace modMain {
// Sets the flags and shows the sign-on window; everything after happens in window events.
void Main(const QStringList &arguments)
{
    SetFlags(arguments);
    frmChat::installHandOvers();
    Form<frmSignon>::get()->show();
}
} // namespace modMain

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Client"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(KORVANI_VERSION_MAJOR).arg(KORVANI_VERSION_MINOR).arg(KORVANI_VERSION_PATCH));
    // Hidden windows count as loaded: the program ends when the last loaded window is unloaded,
    // not when the last visible one closes.
    QApplication::setQuitOnLastWindowClosed(false);
    FormRegistry::setOnLastUnloaded([] { QCoreApplication::quit(); });
    WindowAccessibility::install();

    modMain::Main(application.arguments().mid(1));
    return QApplication::exec();
}
