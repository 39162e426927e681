// The boxes about a server's certificate and the known-servers file that remembers the answers:
// first use asked and remembered for later runs, a no remembered nowhere, a changed certificate
// and one signed for another name refused with a box that says why.

#include "windows/CertificatePrompt.h"
#include "support/LiveChatDialogs.h"
#include "support/TestCertificates.h"
#include "support/TestFiles.h"

#include "app/SettingsLocation.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString server = QStringLiteral("127.0.0.181:1291");
const QList<QSslError> selfSigned{QSslError(QSslError::SelfSignedCertificate)};
}

class CertificatePromptTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    QTemporaryDir m_certificateFolder;
    TestCertificates m_certificates{m_certificateFolder.path()};
    LiveChatDialogs m_dialogs;

    QString fingerprintOf(const QString &name) const
    {
        return ServerTrust::readable(m_certificates.certificate(name).digest(QCryptographicHash::Sha256));
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("korvani"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
        QVERIFY2(m_certificates.makeSelfSigned(QStringLiteral("first"), QStringLiteral("127.0.0.181")),
                 qPrintable(m_certificates.error()));
        QVERIFY(m_certificates.makeSelfSigned(QStringLiteral("second"), QStringLiteral("127.0.0.181")));
        Dialogs::setCurrent(&m_dialogs);
    }

    void init()
    {
        m_dialogs.reset();
        QFile::remove(CertificatePrompt::filePath());
    }

    void cleanupTestCase()
    {
        Dialogs::setCurrent(nullptr);
    }

    void firstUseIsAskedAndRemembered()
    {
        CertificatePrompt prompt(nullptr);
        QVERIFY(prompt.accepts(server, selfSigned, m_certificates.certificate(QStringLiteral("first"))));
        QCOMPARE(m_dialogs.boxes.size(), 1);
        const LiveChatDialogs::Box &question = m_dialogs.boxes.constFirst();
        QCOMPARE(question.icon, QMessageBox::Question);
        QVERIFY(question.text.contains(server));
        QVERIFY(question.text.contains(fingerprintOf(QStringLiteral("first"))));
        QCOMPARE(question.defaultButton, QMessageBox::No);
        QVERIFY(CertificatePrompt::filePath().startsWith(SettingsLocation::userFolder()));

        // A later run finds it remembered and asks nothing.
        m_dialogs.reset();
        CertificatePrompt later(nullptr);
        QVERIFY(later.accepts(server, selfSigned, m_certificates.certificate(QStringLiteral("first"))));
        QVERIFY(m_dialogs.boxes.isEmpty());
    }

    void declinedIsRememberedNowhere()
    {
        m_dialogs.answerYes = false;
        CertificatePrompt prompt(nullptr);
        QVERIFY(!prompt.accepts(server, selfSigned, m_certificates.certificate(QStringLiteral("first"))));
        QVERIFY(!QFile::exists(CertificatePrompt::filePath()));
        QVERIFY(!prompt.accepts(server, selfSigned, m_certificates.certificate(QStringLiteral("first"))));
        QCOMPARE(m_dialogs.boxes.size(), 2);
    }

    void changedCertificateIsRefusedWithWhy()
    {
        CertificatePrompt prompt(nullptr);
        QVERIFY(prompt.accepts(server, selfSigned, m_certificates.certificate(QStringLiteral("first"))));
        const QByteArray remembered = TestFiles::bytes(CertificatePrompt::filePath());
        m_dialogs.reset();

        QVERIFY(!prompt.accepts(server, selfSigned, m_certificates.certificate(QStringLiteral("second"))));
        QCOMPARE(m_dialogs.boxes.size(), 1);
        const LiveChatDialogs::Box &refusal = m_dialogs.boxes.constFirst();
        QCOMPARE(refusal.icon, QMessageBox::Warning);
        QCOMPARE(refusal.buttons, QMessageBox::Ok);
        QVERIFY(refusal.text.contains(QLatin1String("CHANGED")));
        QVERIFY(refusal.text.contains(fingerprintOf(QStringLiteral("first"))));
        QVERIFY(refusal.text.contains(fingerprintOf(QStringLiteral("second"))));
        QVERIFY(refusal.text.contains(CertificatePrompt::filePath()));
        QCOMPARE(TestFiles::bytes(CertificatePrompt::filePath()), remembered);
    }

    void authorityCertificateForAnotherNameIsRefused()
    {
        CertificatePrompt prompt(nullptr);
        QVERIFY(!prompt.accepts(server, {QSslError(QSslError::HostNameMismatch)},
                                m_certificates.certificate(QStringLiteral("first"))));
        QCOMPARE(m_dialogs.boxes.size(), 1);
        QCOMPARE(m_dialogs.boxes.constFirst().icon, QMessageBox::Warning);
        QVERIFY(m_dialogs.boxes.constFirst().text.contains(QLatin1String("other names (127.0.0.181)")));
        QVERIFY(!QFile::exists(CertificatePrompt::filePath()));
    }
};

QTEST_MAIN(CertificatePromptTest)
#include "tst_certificateprompt.moc"
