#include "app/AppDir.h"
#include "app/Form.h"
#include "app/FormRegistry.h"
#include "app/SettingsLocation.h"
#include "app/modMain.h"
#include "support/LiveChatDialogs.h"
#include "support/FileSizeLimit.h"
#include "support/ReplacementCounter.h"
#include "windows/frmSignon.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <utility>

namespace {

struct HandedOver
{
    QString userName;
    QString server;
    QString storedUserAtThatMoment;
};

QString stored(const QString &key)
{
    return modMain::ReadIni(QStringLiteral("UserSvr"), key, modMain::SettingsPath());
}

} // namespace

class tst_frmSignon : public QObject
{
    Q_OBJECT

    QTemporaryDir *m_directory = nullptr;
    QList<HandedOver> m_handedOver;
    std::function<void()> m_duringHandOver;

    void putSettings(const QByteArray &bytes)
    {
        QFile file(modMain::SettingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray settingsBytes() const
    {
        QFile file(modMain::SettingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Loads a fresh window the way the program does.
    frmSignon *loadWindow()
    {
        Form<frmSignon>::unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return Form<frmSignon>::get();
    }

private slots:
    void init()
    {
        m_directory = new QTemporaryDir;
        QVERIFY(m_directory->isValid());
        QFile(m_directory->filePath(SettingsLocation::buildTreeMarker())).open(QIODevice::WriteOnly);
        setApplicationDirectory(m_directory->path());
        m_handedOver.clear();
        m_duringHandOver = nullptr;
        frmSignon::setHandOver([this](const QString &userName, const QString &server) {
            m_handedOver.append({userName, server, stored(QStringLiteral("User"))});
            if (const auto during = std::exchange(m_duringHandOver, nullptr))
                during();
        });
    }

    void cleanup()
    {
        FormRegistry::setOnLastUnloaded(nullptr);
        Form<frmSignon>::unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        frmSignon::setHandOver(nullptr);
        setApplicationDirectory(QString());
        delete m_directory;
        m_directory = nullptr;
    }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("twips"); // left, top, width, height; inside the frame but for the frame

        QTest::newRow("frame") << "Frame1" << "Information " << QRect(120, 2520, 2895, 2655);
        QTest::newRow("user label") << "Label2" << "Username:" << QRect(120, 240, 855, 255);
        QTest::newRow("user box") << "txtUser" << "" << QRect(960, 240, 1815, 285);
        QTest::newRow("server label") << "Label1" << "Server IP:" << QRect(120, 600, 735, 255);
        QTest::newRow("server box") << "txtSvrIp" << "" << QRect(960, 600, 1815, 285);
        QTest::newRow("save box") << "chkUS" << "Save Username/Server IP" << QRect(120, 960, 2175, 255);
        QTest::newRow("auto connect box") << "chkAC" << "Automatic Connect on startup" << QRect(120, 1320, 2535, 255);
        QTest::newRow("version") << "lblVersion" << "Version: 1.1.1" << QRect(120, 1680, 1335, 255);
        QTest::newRow("status") << "status" << "" << QRect(0, 2040, 2895, 255);
        QTest::newRow("cancel") << "cmdCancel" << "Cancel" << QRect(120, 2280, 1335, 255);
        QTest::newRow("connect") << "cmdConnect" << "&Connect" << QRect(1560, 2280, 1215, 255);
    }

    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QRect, twips);

        frmSignon *form = loadWindow();
        QCOMPARE(form->windowTitle(), QStringLiteral("Login"));
        QCOMPARE(form->size(), QSize(206, 352));
        const QWidget *control = form->findChild<QWidget *>(name);
        QVERIFY(control);
        const QByteArray captionProperty = qobject_cast<const QGroupBox *>(control) ? "title" : "text";
        QCOMPARE(control->property(captionProperty).toString(), caption);
        const QRect pixels(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
        QCOMPARE(control->pos(), pixels.topLeft());
        QCOMPARE(control->height(), pixels.height());
        if (qobject_cast<const QCheckBox *>(control)) {
            // Check boxes may grow to the right so their captions show whole.
            QVERIFY(control->width() >= pixels.width());
            QVERIFY(control->width() >= control->sizeHint().width());
            QVERIFY(control->geometry().right() < form->Frame1->width());
        } else {
            QCOMPARE(control->width(), pixels.width());
        }
    }

    void colours()
    {
        const frmSignon *form = loadWindow();
        const QColor blue(0, 0, 192);
        const QColor yellow(255, 255, 0);
        for (const QWidget *control : {static_cast<const QWidget *>(form), static_cast<const QWidget *>(form->Frame1),
                                       static_cast<const QWidget *>(form->chkUS), static_cast<const QWidget *>(form->chkAC)})
            QCOMPARE(control->palette().color(QPalette::Window), blue);
        QVERIFY(form->autoFillBackground());
        for (const QWidget *control : {static_cast<const QWidget *>(form->Frame1), static_cast<const QWidget *>(form->Label1),
                                       static_cast<const QWidget *>(form->Label2), static_cast<const QWidget *>(form->lblVersion),
                                       static_cast<const QWidget *>(form->status), static_cast<const QWidget *>(form->chkUS),
                                       static_cast<const QWidget *>(form->chkAC)})
            QCOMPARE(control->palette().color(QPalette::WindowText), yellow);
        QVERIFY(!form->Label1->autoFillBackground());
        QCOMPARE(form->status->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    }

    void tabGoesThroughTheControlsInOrder()
    {
        frmSignon *form = loadWindow();
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QCOMPARE(QApplication::focusWidget(), form->txtUser);
        QStringList order{QApplication::focusWidget()->objectName()};
        for (int step = 0; step < 6; ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order, (QStringList{"txtUser", "txtSvrIp", "cmdConnect", "chkUS", "chkAC", "cmdCancel", "txtUser"}));
    }

    void load_data()
    {
        QTest::addColumn<QByteArray>("settings"); // empty: no file
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("server");
        QTest::addColumn<bool>("saveTicked");
        QTest::addColumn<bool>("autoConnectTicked");
        QTest::addColumn<QString>("status");

        QTest::newRow("no settings file") << QByteArray() << "" << "" << false << false << "";
        QTest::newRow("saved with automatic connect") << QByteArray("[UserSvr]\r\nUser=Ann\r\nSvr=chat.example.org\r\nAC=1\r\n")
                                                      << "Ann" << "chat.example.org" << true << true << "Connecting";
        QTest::newRow("saved without automatic connect") << QByteArray("[UserSvr]\r\nUser=Ann\r\nSvr=host\r\nAC=0\r\n")
                                                         << "Ann" << "host" << true << false << "";
        QTest::newRow("AC not a number") << QByteArray("[UserSvr]\r\nUser=Ann\r\nSvr=host\r\nAC=yes\r\n") << "Ann"
                                         << "host" << true << false << "";
        QTest::newRow("AC another number") << QByteArray("[UserSvr]\r\nUser=Ann\r\nSvr=host\r\nAC=2\r\n") << "Ann"
                                           << "host" << true << false << "";
        QTest::newRow("AC missing") << QByteArray("[UserSvr]\r\nUser=Ann\r\nSvr=host\r\n") << "Ann" << "host" << true
                                    << false << "";
        QTest::newRow("empty user: server and AC ignored") << QByteArray("[UserSvr]\r\nUser=\r\nSvr=host\r\nAC=1\r\n") << ""
                                                           << "" << false << false << "";
        QTest::newRow("automatic connect with empty server") << QByteArray("[UserSvr]\r\nUser=Ann\r\nSvr=\r\nAC=1\r\n")
                                                             << "Ann" << "" << true << true << "Connecting";
    }

    void load()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, user);
        QFETCH(QString, server);
        QFETCH(bool, saveTicked);
        QFETCH(bool, autoConnectTicked);
        QFETCH(QString, status);

        if (!settings.isEmpty())
            putSettings(settings);
        const frmSignon *form = loadWindow();
        QCOMPARE(form->txtUser->text(), user);
        QCOMPARE(form->txtSvrIp->text(), server);
        QCOMPARE(form->chkUS->isChecked(), saveTicked);
        QCOMPARE(form->chkAC->isChecked(), autoConnectTicked);
        QCOMPARE(form->status->text(), status);
        QCOMPARE(form->Timer->isActive(), autoConnectTicked);
        if (autoConnectTicked)
            QCOMPARE(form->Timer->interval(), 2000);
            QCOMPARE(form->Timer->timerType(), Qt::PreciseTimer);
        QCOMPARE(form->lblVersion->text(), QStringLiteral("Version: 1.1.1"));
        QCOMPARE(settingsBytes(), settings);
    }

    void automaticConnectPressesConnectByItself()
    {
        putSettings("[UserSvr]\r\nUser=Ann\r\nSvr=host\r\nAC=1\r\n");
        loadWindow();
        QTRY_COMPARE_WITH_TIMEOUT(m_handedOver.size(), 1, 10000);
        QCOMPARE(m_handedOver.first().userName, QStringLiteral("Ann"));
        QCOMPARE(m_handedOver.first().server, QStringLiteral("host"));
        QVERIFY(!Form<frmSignon>::isLoaded());
    }

    void automaticPressWithEmptyServerRepeatsUntilTyped()
    {
        putSettings("[UserSvr]\r\nUser=Ann\r\nSvr=\r\nAC=1\r\n");
        frmSignon *form = loadWindow();
        form->Timer_Timer();
        QVERIFY(m_handedOver.isEmpty());
        QVERIFY(form->Timer->isActive());
        form->txtSvrIp->setText(QStringLiteral("host"));
        form->Timer_Timer();
        QCOMPARE(m_handedOver.size(), 1);
    }

    void cancelStopsTheAutomaticPress()
    {
        putSettings("[UserSvr]\r\nUser=Ann\r\nSvr=host\r\nAC=1\r\n");
        frmSignon *form = loadWindow();
        QTest::mouseClick(form->cmdCancel, Qt::LeftButton);
        QCOMPARE(form->status->text(), QStringLiteral("Disonnected"));
        QVERIFY(!form->Timer->isActive());
        QCOMPARE(form->txtUser->text(), QStringLiteral("Ann"));
        QVERIFY(form->chkAC->isChecked());
        QVERIFY(Form<frmSignon>::isLoaded());
        QVERIFY(m_handedOver.isEmpty());
    }

    void connectWithAnEmptyFieldDoesNothing_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("server");
        QTest::newRow("no user name") << "" << "host";
        QTest::newRow("no server") << "Ann" << "";
        QTest::newRow("neither") << "" << "";
    }

    void connectWithAnEmptyFieldDoesNothing()
    {
        QFETCH(QString, user);
        QFETCH(QString, server);
        frmSignon *form = loadWindow();
        form->txtUser->setText(user);
        form->txtSvrIp->setText(server);
        form->chkUS->setChecked(true);
        QTest::mouseClick(form->cmdConnect, Qt::LeftButton);
        QVERIFY(m_handedOver.isEmpty());
        QVERIFY(Form<frmSignon>::isLoaded());
        QCOMPARE(form->status->text(), QString());
        QVERIFY(!QFile::exists(modMain::SettingsPath()));
    }

    void connectHandsOverAndSaves_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("server");
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("autoConnect");
        QTest::addColumn<QString>("storedUser");
        QTest::addColumn<QString>("storedServer");
        QTest::addColumn<QString>("storedAutoConnect");

        QTest::newRow("saved with automatic connect") << "Ann" << "chat.example.org" << true << true << "Ann"
                                                      << "chat.example.org" << "1";
        QTest::newRow("saved without automatic connect") << "Ann" << "host" << true << false << "Ann" << "host" << "0";
        QTest::newRow("blanks typed around both") << "  Ann Lee " << " host  " << true << false << "Ann Lee" << "host"
                                                  << "0";
        QTest::newRow("not saved clears all three") << "Ann" << "host" << false << true << "" << "" << "0";
    }

    void connectHandsOverAndSaves()
    {
        QFETCH(QString, user);
        QFETCH(QString, server);
        QFETCH(bool, save);
        QFETCH(bool, autoConnect);
        QFETCH(QString, storedUser);
        QFETCH(QString, storedServer);
        QFETCH(QString, storedAutoConnect);

        putSettings("[UserSvr]\r\nUser=Old\r\nSvr=old.host\r\nAC=0\r\n[Sounds]\r\nValue=On\r\n");
        frmSignon *form = loadWindow();
        form->txtUser->setText(user);
        form->txtSvrIp->setText(server);
        form->chkUS->setChecked(save);
        form->chkAC->setChecked(autoConnect);
        QTest::mouseClick(form->cmdConnect, Qt::LeftButton);

        QCOMPARE(m_handedOver.size(), 1);
        QCOMPARE(m_handedOver.first().userName, user);
        QCOMPARE(m_handedOver.first().server, server);
        QCOMPARE(m_handedOver.first().storedUserAtThatMoment, QStringLiteral("Old"));
        QCOMPARE(settingsBytes(), "[UserSvr]\r\nUser=" + storedUser.toUtf8() + "\r\nSvr=" + storedServer.toUtf8()
                                      + "\r\nAC=" + storedAutoConnect.toUtf8() + "\r\n[Sounds]\r\nValue=On\r\n");
        QVERIFY(!Form<frmSignon>::isLoaded());
    }

    // The connect step lets events run; a press arriving then (the timer, a second click) starts
    // no second connection.
    void pressDuringConnectIsIgnored()
    {
        frmSignon *form = loadWindow();
        form->txtUser->setText(QStringLiteral("Ann"));
        form->txtSvrIp->setText(QStringLiteral("host"));
        m_duringHandOver = [form] { form->Timer_Timer(); };
        form->cmdConnect_Click();
        QCOMPARE(m_handedOver.size(), 1);
    }

    // The three keys go to disk together: one replacement of the file, never a mix of old and new.
    void connectSavesInOneReplacement_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("remembered") << true;
        QTest::newRow("forgotten") << false;
    }

    void connectSavesInOneReplacement()
    {
        QFETCH(bool, save);
        putSettings("[UserSvr]\r\nUser=Old\r\nSvr=old.example.org\r\nAC=1\r\n");
        frmSignon *form = loadWindow();
        form->Timer->stop();
        form->txtUser->setText(QStringLiteral("Ann"));
        form->txtSvrIp->setText(QStringLiteral("host"));
        form->chkUS->setChecked(save);
        form->chkAC->setChecked(false);
        ReplacementCounter replacements(modMain::SettingsPath());
        QVERIFY(replacements.isValid());
        QTest::mouseClick(form->cmdConnect, Qt::LeftButton);
        QCOMPARE(replacements.take(), 1);
        QCOMPARE(stored(QStringLiteral("User")), save ? QStringLiteral("Ann") : QString());
    }

    // On a full disk the sign-on goes on, the file stays as it was, and the user is told once in
    // the run, not at every later sign-on.
    void failedSaveIsToldOnce()
    {
        const QByteArray before = "[UserSvr]\r\nUser=Old\r\nSvr=old.example.org\r\nAC=0\r\n";
        putSettings(before);
        LiveChatDialogs dialogs;
        Dialogs::setCurrent(&dialogs);
        modMain::ResetSettingsNotSavedNotice();
        {
            const FileSizeLimit fullDisk(0);
            QVERIFY(fullDisk.isValid());
            for (const QString &user : {QStringLiteral("Ann"), QStringLiteral("Bob")}) {
                frmSignon *form = loadWindow();
                form->txtUser->setText(user);
                form->txtSvrIp->setText(QStringLiteral("host"));
                QTest::mouseClick(form->cmdConnect, Qt::LeftButton);
            }
        }
        Dialogs::setCurrent(nullptr);

        QCOMPARE(m_handedOver.size(), 2);
        QCOMPARE(settingsBytes(), before);
        QCOMPARE(QDir(m_directory->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({SettingsLocation::buildTreeMarker(), QStringLiteral("Options.ini")}));
        QCOMPARE(dialogs.boxes.size(), 1);
        QCOMPARE(dialogs.boxes.first().title, QStringLiteral("Client"));
        QCOMPARE(dialogs.boxes.first().icon, QMessageBox::Warning);
        QVERIFY(dialogs.boxes.first().text.contains(modMain::SettingsPath()));
    }

    void connectWithoutHandOverStillSavesAndUnloads()
    {
        frmSignon::setHandOver(nullptr);
        frmSignon *form = loadWindow();
        form->txtUser->setText(QStringLiteral("Ann"));
        form->txtSvrIp->setText(QStringLiteral("host"));
        form->chkUS->setChecked(true);
        form->cmdConnect_Click();
        QCOMPARE(stored(QStringLiteral("User")), QStringLiteral("Ann"));
        QVERIFY(!Form<frmSignon>::isLoaded());
    }

    void enterKey_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<bool>("connects");
        QTest::newRow("in the user name box") << "txtUser" << true;
        QTest::newRow("in the server box") << "txtSvrIp" << true;
        QTest::newRow("on a check box") << "chkAC" << true;
        QTest::newRow("on Connect") << "cmdConnect" << true;
        QTest::newRow("on Cancel presses Cancel") << "cmdCancel" << false;
    }

    void enterKey()
    {
        QFETCH(QString, focus);
        QFETCH(bool, connects);
        frmSignon *form = loadWindow();
        form->txtUser->setText(QStringLiteral("Ann"));
        form->txtSvrIp->setText(QStringLiteral("host"));
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QWidget *focused = form->findChild<QWidget *>(focus);
        focused->setFocus();
        QTest::keyClick(focused, Qt::Key_Return);
        QCOMPARE(m_handedOver.size(), connects ? 1 : 0);
        if (!connects)
            QCOMPARE(form->status->text(), QStringLiteral("Disonnected"));
    }

    // Closing the window saves nothing; as the only loaded window it ends the program.
    void closeBoxUnloadsWithoutSaving()
    {
        putSettings("[UserSvr]\r\nUser=Ann\r\nSvr=host\r\nAC=1\r\n");
        int programEnds = 0;
        FormRegistry::setOnLastUnloaded([&programEnds] { ++programEnds; });
        frmSignon *form = loadWindow();
        form->show();
        form->txtUser->setText(QStringLiteral("Bob"));
        form->chkUS->setChecked(false);
        QVERIFY(form->close());
        QVERIFY(!Form<frmSignon>::isLoaded());
        QCOMPARE(programEnds, 1);
        QVERIFY(m_handedOver.isEmpty());
        QCOMPARE(settingsBytes(), QByteArray("[UserSvr]\r\nUser=Ann\r\nSvr=host\r\nAC=1\r\n"));
    }

    // Shown again after a lost connection, the window is a new one that loads the settings again.
    void unloadedWindowLoadsAfresh()
    {
        frmSignon *form = loadWindow();
        form->txtUser->setText(QStringLiteral("typed"));
        QTest::mouseClick(form->cmdCancel, Qt::LeftButton);
        Form<frmSignon>::unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        putSettings("[UserSvr]\r\nUser=Ann\r\nSvr=host\r\nAC=1\r\n");
        frmSignon *again = Form<frmSignon>::get();
        QCOMPARE(again->txtUser->text(), QStringLiteral("Ann"));
        QCOMPARE(again->status->text(), QStringLiteral("Connecting"));
        QVERIFY(again->Timer->isActive());
    }
};

QTEST_MAIN(tst_frmSignon)
#include "tst_frmsignon.moc"
