// The Qt floor of korvani's windows: see CMakeLists.txt. It speaks just enough of the chat protocol
// for bench_receive: with a settings file that names a server ("Svr=ADDRESS") it connects at once,
// sends its Join and shows the chat window; without one the "Login" window waits, as korvani's
// does on a first start.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QStyle>
#include <QTcpSocket>
#include <QTextBrowser>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr quint16 chatPort = 1290;

// The server named by the settings file passed as "--settings FILE", or "" when there is none.
QString serverOf(const QStringList &arguments)
{
    const qsizetype option = arguments.indexOf(QStringLiteral("--settings"));
    if (option < 0 || option + 1 >= arguments.size())
        return {};
    QFile settings(arguments.at(option + 1));
    if (!settings.open(QIODevice::ReadOnly))
        return {};
    const QRegularExpressionMatch server =
        QRegularExpression(QStringLiteral("^Svr=(\\S+)"), QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(settings.readAll()));
    return server.captured(1);
}

QWidget *signOnWindow()
{
    auto *window = new QWidget;
    window->setWindowTitle(QStringLiteral("Login"));
    auto *frame = new QGroupBox(QStringLiteral("Information "), window);
    auto *grid = new QGridLayout(frame);
    grid->addWidget(new QLabel(QStringLiteral("Username:")), 0, 0);
    grid->addWidget(new QLineEdit, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Server IP:")), 1, 0);
    grid->addWidget(new QLineEdit, 1, 1);
    grid->addWidget(new QCheckBox(QStringLiteral("Save Username/Server IP")), 2, 0, 1, 2);
    grid->addWidget(new QCheckBox(QStringLiteral("Automatic Connect on startup")), 3, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Version 1.0")), 4, 0, 1, 2);
    grid->addWidget(new QPushButton(QStringLiteral("Cancel")), 5, 0);
    grid->addWidget(new QPushButton(QStringLiteral("&Connect")), 5, 1);
    (new QVBoxLayout(window))->addWidget(frame);
    return window;
}

// The chat window's kinds of widget; the transcript shows what the server sends.
QWidget *chatWindow(QTextBrowser **transcript)
{
    auto *window = new QWidget;
    window->setWindowTitle(QStringLiteral("Korvani 1.0 - (carol)"));
    auto *grid = new QGridLayout(window);
    auto *tools = new QToolBar;
    for (int button = 0; button < 10; ++button) {
        const auto icon = QStyle::StandardPixmap(QStyle::SP_TitleBarMenuButton + button);
        tools->addAction(window->style()->standardIcon(icon), QStringLiteral("Button"))->setCheckable(true);
    }
    grid->addWidget(tools, 0, 0, 1, 3);
    *transcript = new QTextBrowser;
    grid->addWidget(*transcript, 1, 0, 1, 2);
    auto *users = new QListWidget;
    users->addItem(QStringLiteral("carol"));
    grid->addWidget(new QLabel(QStringLiteral("1 Users")), 1, 2);
    grid->addWidget(users, 2, 2, 2, 1);
    grid->addWidget(new QTextEdit, 2, 0, 1, 2);
    grid->addWidget(new QLineEdit, 3, 0);
    grid->addWidget(new QPushButton(QStringLiteral("&Send")), 3, 1);
    auto *status = new QStatusBar;
    status->addWidget(new QLabel(QStringLiteral("You are connected on Server")));
    status->addWidget(new QLabel(QStringLiteral("Your Ip is: 127.0.0.1")));
    grid->addWidget(status, 4, 0, 1, 3);
    for (const QString &title : {QStringLiteral("File"), QStringLiteral("About"), QStringLiteral("Menu")})
        (new QMenu(title, window))->addAction(title);
    return window;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QWidget *signOn = signOnWindow();
    signOn->show();
    const QString server = serverOf(QApplication::arguments());
    if (server.isEmpty())
        return QApplication::exec();

    QTextBrowser *transcript = nullptr;
    QWidget *chat = chatWindow(&transcript);
    QTcpSocket socket;
    QObject::connect(&socket, &QTcpSocket::connected, [&] {
        socket.write("Join carol");
        signOn->hide();
        chat->show();
    });
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] { transcript->append(QString::fromLatin1(socket.readAll())); });
    socket.connectToHost(server, chatPort);
    return QApplication::exec();
}
