// The main window on a private connection: the certificate box answered, the lock in the status
// bar while the connection is private and not on a plain one, the status texts as ever.

#include "support/LiveChatServer.h"
#include "support/LiveChatTestCase.h"
#include "support/TestCertificates.h"

#include "app/Form.h"
#include "windows/CertificatePrompt.h"
#include "windows/PanelStatusBar.h"
#include "windows/frmChat.h"

#include <QFile>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
const QString address = QStringLiteral("127.0.0.184");
constexpr int waitMs = 5000;

// A chat server that speaks TLS and answers a sign-on with the user list.
class TlsChatServer
{
public:
    TlsChatServer(const TestCertificates &certificates)
    {
        QFile key(certificates.keyFile(QStringLiteral("server")));
        key.open(QIODevice::ReadOnly);
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(certificates.certificate(QStringLiteral("server")));
        configuration.setPrivateKey(QSslKey(key.readAll(), QSsl::Ec));
        m_server.setSslConfiguration(configuration);
        QObject::connect(&m_server, &QTcpServer::pendingConnectionAvailable, &m_server, [this] {
            QTcpSocket *client = m_server.nextPendingConnection();
            QObject::connect(client, &QTcpSocket::readyRead, client, [this, client] {
                m_received += client->readAll();
                if (m_received == "Join ana")
                    client->write("UserList ana");
            });
        });
        m_server.listen(QHostAddress(address));
    }

    quint16 port() const { return m_server.serverPort(); }
    QByteArray received() const { return m_received; }

private:
    QSslServer m_server;
    QByteArray m_received;
};
}

class tst_PrivateConnection : public LiveChatTestCase
{
    Q_OBJECT

    QTemporaryDir m_home;
    QTemporaryDir m_certificateFolder;
    TestCertificates m_certificates{m_certificateFolder.path()};

    static frmChat *chat() { return Form<frmChat>::get(); }

    static void connectAsAna(const QString &server)
    {
        chat()->show();
        chat()->txtUser->setText(QStringLiteral("ana"));
        chat()->Connect(server);
        chat()->tmrConnection->start();
    }

public:
    tst_PrivateConnection()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
    }

private slots:
    void lockShowsWhileTheConnectionIsPrivate()
    {
        QVERIFY2(m_certificates.makeSelfSigned(QStringLiteral("server"), address), qPrintable(m_certificates.error()));
        TlsChatServer secure(m_certificates);
        dialogs.reset();
        dialogs.answerYes = true;
        connectAsAna(QStringLiteral("tls://%1:%2").arg(address).arg(secure.port()));
        QTRY_COMPARE_WITH_TIMEOUT(secure.received(), QByteArray("Join ana"), waitMs);
        QCOMPARE(dialogs.boxes.size(), 1);
        QVERIFY(dialogs.boxes.constFirst().text.contains(
            ServerTrust::readable(m_certificates.certificate(QStringLiteral("server")).digest(QCryptographicHash::Sha256))));
        QVERIFY(QFile::exists(CertificatePrompt::filePath()));
        QTRY_VERIFY_WITH_TIMEOUT(chat()->StatusBar1->showsPrivate(), waitMs);
        QCOMPARE(chat()->StatusBar1->panelText(1), QStringLiteral("You are connected on Server"));

        // The same server again is trusted without a box; a plain one shows no lock.
        chat()->Connect(QStringLiteral("tls://%1:%2").arg(address).arg(secure.port()));
        QTRY_COMPARE_WITH_TIMEOUT(secure.received(), QByteArray("Join anaJoin ana"), waitMs);
        QCOMPARE(dialogs.boxes.size(), 1);
        LiveChatServer plain(address);
        chat()->Connect(address);
        QVERIFY(plain.waitForClient());
        QTRY_VERIFY_WITH_TIMEOUT(!chat()->StatusBar1->showsPrivate(), waitMs);
        QCOMPARE(chat()->StatusBar1->panelText(1), QStringLiteral("You are connected on Server"));
        chat()->tmrConnection->stop();
    }
};

QTEST_MAIN(tst_PrivateConnection)
#include "tst_privateconnection.moc"
