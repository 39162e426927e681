#include "support/OptionsFakes.h"

#include "app/Form.h"
#include "support/FileSizeLimit.h"
#include "support/ReplacementCounter.h"
#include "app/ChatFeatures.h"
#include "app/modMain.h"
#include "options/OptionChoices.h"
#include "options/frmOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

using Edit = std::function<void(frmOptions *, FakeDialogs *)>;
Q_DECLARE_METATYPE(Edit)

namespace {

const QString crlf = QStringLiteral("\r\n");

QString lines(const QStringList &list)
{
    return list.join(crlf) + crlf;
}

QTreeWidgetItem *treeNode(frmOptions *window, const QString &text)
{
    const QList<QTreeWidgetItem *> found = window->Tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

void clickNode(frmOptions *window, const QString &text)
{
    QTreeWidgetItem *node = treeNode(window, text);
    QVERIFY(node);
    const QRect area = window->Tree->visualItemRect(node);
    QTest::mouseClick(window->Tree->viewport(), Qt::LeftButton, {}, area.center());
}

void clickSoundRow(frmOptions *window, int row)
{
    const QRect area = window->soundlist->visualItemRect(window->soundlist->topLevelItem(row - 1));
    QTest::mouseClick(window->soundlist->viewport(), Qt::LeftButton, {}, area.center());
}

QWidget *nextTabStop(QWidget *widget)
{
    QWidget *next = widget->nextInFocusChain();
    while (next != widget && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    return next;
}

QString textOf(const QWidget *control)
{
    if (const auto *group = qobject_cast<const QGroupBox *>(control))
        return group->title();
    return control->property("text").toString();
}

} // namespace

class tst_frmOptions : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_fakes = std::make_unique<OptionsFakes>();
    }
    void cleanup()
    {
        frmOptions::setLocalAddressSource({});
        m_fakes.reset();
    }

    void window()
    {
        frmOptions *window = Form<frmOptions>::get();
        window->show();
        QCOMPARE(window->windowTitle(), QStringLiteral("Options"));
        QCOMPARE(window->size(), QSize(493, 249));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(!window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!window->isModal());
        QCOMPARE(nextTabStop(window->cmdApply), window->cmdOK);
        QCOMPARE(nextTabStop(window->cmdOK), window->cmdCancel);
    }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("geometry"); // in its group, or in the window for the strip

        QTest::newRow("Tree") << "Tree" << "" << QRect(8, 8, 145, 193);
        QTest::newRow("page 0") << "userOptions" << "User Options" << QRect(0, 0, 313, 201);
        QTest::newRow("txtNickname") << "txtNickname" << "" << QRect(96, 16, 113, 19);
        QTest::newRow("txtIp") << "txtIp" << "" << QRect(96, 40, 113, 19);
        QTest::newRow("txtServer") << "txtServer" << "" << QRect(96, 64, 113, 19);
        QTest::newRow("ChkAU") << "ChkAU" << "Automatic LogIn to chat" << QRect(8, 88, 201, 17);
        QTest::newRow("page 1") << "audioOptions" << "Audio Options" << QRect(0, 0, 313, 201);
        QTest::newRow("soundlist") << "soundlist" << "" << QRect(8, 16, 297, 129);
        QTest::newRow("txtBrowse") << "txtBrowse" << "" << QRect(8, 152, 153, 19);
        QTest::newRow("Command1") << "Command1" << "browse" << QRect(168, 152, 73, 17);
        QTest::newRow("Command2") << "Command2" << "play" << QRect(256, 152, 49, 17);
        QTest::newRow("chkSound") << "chkSound" << "Audio Off/On" << QRect(8, 176, 129, 17);
        QTest::newRow("page 2") << "messageOptions" << "Message" << QRect(0, 0, 313, 201);
        QTest::newRow("join group") << "joinLeaveGroup" << "User Join/Left" << QRect(8, 16, 297, 73);
        QTest::newRow("ChkMain") << "ChkMain" << "Display message in Main chat on user join/left."
                                 << QRect(8, 16, 281, 17);
        QTest::newRow("UMWindows") << "UMWindows" << "Display message in Windows on user join/left."
                                   << QRect(8, 32, 281, 17);
        QTest::newRow("UMBalloon") << "UMBalloon" << "Display message in Ballonn on user join/left."
                                   << QRect(8, 48, 281, 17);
        QTest::newRow("motd group") << "motdGroup" << "Message of day" << QRect(8, 88, 297, 73);
        QTest::newRow("modMain") << "modMain" << "Display message of day in main chat." << QRect(8, 16, 281, 17);
        QTest::newRow("modWindows") << "modWindows" << "Display message of day in new Window."
                                    << QRect(8, 32, 281, 17);
        QTest::newRow("modBalloon") << "modBalloon" << "Display message of day in balloon windows."
                                    << QRect(8, 48, 281, 17);
        QTest::newRow("page 3") << "styles" << "Styles" << QRect(0, 0, 313, 201);
        QTest::newRow("styleIzbor") << "styleIzbor" << "" << QRect(40, 16, 161, 21);
        QTest::newRow("page 4") << "chatOptions" << "Chat Options" << QRect(0, 0, 313, 201);
        QTest::newRow("chkLog") << "chkLog" << "Log the conversation to a file." << QRect(8, 16, 281, 17);
        QTest::newRow("chkReconnect") << "chkReconnect" << "Reconnect when the connection is lost."
                                      << QRect(8, 32, 281, 17);
        QTest::newRow("chkNotify") << "chkNotify" << "Notify me of private messages and of my name."
                                   << QRect(8, 48, 281, 17);
        QTest::newRow("Image1") << "Image1" << "" << QRect(0, 216, 494, 34);
        QTest::newRow("cmdCancel") << "cmdCancel" << "Cancel" << QRect(264, 224, 65, 17);
        QTest::newRow("cmdOK") << "cmdOK" << "OK" << QRect(336, 224, 65, 17);
        QTest::newRow("cmdApply") << "cmdApply" << "Apply" << QRect(400, 224, 73, 17);
    }
    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QRect, geometry);
        frmOptions *window = Form<frmOptions>::get();
        const QWidget *control = window->findChild<QWidget *>(name);
        QVERIFY(control);
        QCOMPARE(textOf(control), text);
        QCOMPARE(control->geometry(), geometry);
    }

    void labelsAndOtherTexts()
    {
        frmOptions *window = Form<frmOptions>::get();
        QStringList labels;
        for (const QLabel *label : window->findChildren<QLabel *>()) {
            if (!label->text().isEmpty())
                labels.append(label->text());
        }
        labels.sort();
        QCOMPARE(labels, QStringList({"Ip Adress:", "Nickname:", "Server adress:", "Skin:"}));
        const auto labelTexts = window->styles->findChildren<QLabel *>();
        const auto skinLabel = std::find_if(labelTexts.begin(), labelTexts.end(),
                                            [](const QLabel *label) { return label->text() == "Skin:"; });
        QVERIFY(skinLabel != labelTexts.end());
        QCOMPARE((*skinLabel)->pos(), QPoint(8, 24));
        QVERIFY((*skinLabel)->alignment() & Qt::AlignTop);
        QCOMPARE(window->soundlist->headerItem()->text(0), QStringLiteral("Sound Name"));
        QCOMPARE(window->soundlist->headerItem()->text(1), QStringLiteral("Sound Directory"));
        QCOMPARE(window->chkLine->text(), QStringLiteral("Display Correcting"));
        QCOMPARE(window->chkLine->pos(), QPoint(8, 168));
        QStringList skins;
        for (int i = 0; i < window->styleIzbor->count(); ++i)
            skins.append(window->styleIzbor->itemText(i));
        QCOMPARE(skins, QStringList({"Blue Skin", "Black Skin", "Rad Skin", "Yellow Skin", "Green Skin"}));
        QVERIFY(window->styleIzbor->isEditable());
    }

    // Captions must be readable whole with the fonts of the machine.
    void captionsFitTheirControls()
    {
        frmOptions *window = Form<frmOptions>::get();
        window->show();
        for (const QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
            const int needed = button->fontMetrics().horizontalAdvance(button->text());
            QVERIFY2(needed < button->width(), qPrintable(button->objectName()));
        }
        for (const QLabel *label : window->findChildren<QLabel *>()) {
            if (!label->text().isEmpty())
                QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->text()));
        }
    }

    void treeSwitchesPages()
    {
        frmOptions *window = Form<frmOptions>::get();
        window->show();
        QTreeWidgetItem *root = window->Tree->topLevelItem(0);
        QCOMPARE(window->Tree->topLevelItemCount(), 1);
        QCOMPARE(root->text(0), QStringLiteral("Options"));
        QVERIFY(root->isExpanded());
        QStringList children;
        for (int i = 0; i < root->childCount(); ++i)
            children.append(root->child(i)->text(0));
        QCOMPARE(children, QStringList({"General Options", "Sound", "Message", "Interface", "Chat"}));
        QCOMPARE(window->SSTab1->currentIndex(), 0);

        clickNode(window, QStringLiteral("Message"));
        QCOMPARE(window->SSTab1->currentIndex(), 2);
        clickNode(window, QStringLiteral("Options"));
        QCOMPARE(window->SSTab1->currentIndex(), 2);
        clickNode(window, QStringLiteral("Interface"));
        QCOMPARE(window->SSTab1->currentIndex(), 3);
        clickNode(window, QStringLiteral("Chat"));
        QCOMPARE(window->SSTab1->currentIndex(), 4);
        clickNode(window, QStringLiteral("Sound"));
        QCOMPARE(window->SSTab1->currentIndex(), 1);
        clickNode(window, QStringLiteral("General Options"));
        QCOMPARE(window->SSTab1->currentIndex(), 0);
    }

    void loadFillsSignOnFieldsAndSwitches_data()
    {
        QTest::addColumn<bool>("soundsOn");
        QTest::addColumn<bool>("displayCorrectionOn");
        QTest::newRow("both off") << false << false;
        QTest::newRow("both on") << true << true;
    }
    void loadFillsSignOnFieldsAndSwitches()
    {
        QFETCH(bool, soundsOn);
        QFETCH(bool, displayCorrectionOn);
        modMain::SoundsOn = soundsOn;
        modMain::DisplayCorrectionOn = displayCorrectionOn;
        m_fakes->dir.writeSettings(lines({"[UserSvr]", "User=Marko", "Svr=10.0.0.7", "AC=1"}));
        int addressReads = 0;
        frmOptions::setLocalAddressSource([&addressReads] {
            ++addressReads;
            return QStringLiteral("192.168.5.6");
        });

        frmOptions *window = Form<frmOptions>::get();
        QCOMPARE(window->txtNickname->text(), QStringLiteral("Marko"));
        QCOMPARE(window->txtIp->text(), QStringLiteral("192.168.5.6"));
        QCOMPARE(window->txtServer->text(), QStringLiteral("10.0.0.7"));
        QVERIFY(window->ChkAU->isChecked());
        QCOMPARE(window->chkSound->isChecked(), soundsOn);
        QCOMPARE(window->chkSound->text(), soundsOn ? QStringLiteral("Enabled") : QStringLiteral("Audio Off/On"));
        QCOMPARE(window->chkLine->isChecked(), displayCorrectionOn);
        QCOMPARE(window->txtBrowse->text(), QString());

        // Taken at load, and again whenever the window is shown: it is usually loaded hidden before
        // there is a connection.
        QCOMPARE(addressReads, 1);
        frmOptions::setLocalAddressSource([&addressReads] {
            ++addressReads;
            return QStringLiteral("10.1.2.3");
        });
        window->show();
        window->Tree_Click();
        QCOMPARE(addressReads, 2);
        QCOMPARE(window->txtIp->text(), QStringLiteral("10.1.2.3"));
    }

    void withoutAnAddressSourceTheAddressIsEmpty()
    {
        QCOMPARE(Form<frmOptions>::get()->txtIp->text(), QString());
    }

    void openingAgainShowsTheSameWindow()
    {
        QVERIFY(!Form<frmOptions>::isLoaded());
        frmOptions *window = frmOptions::open();
        QVERIFY(window->isVisible());
        window->txtNickname->setText(QStringLiteral("typed, not applied"));
        QCOMPARE(frmOptions::open(), window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->txtNickname->text(), QStringLiteral("typed, not applied"));
    }

    void switchCaptionsFollowClicks()
    {
        frmOptions *window = Form<frmOptions>::get();
        window->show();
        window->chkSound->click();
        QCOMPARE(window->chkSound->text(), QStringLiteral("Enabled"));
        window->chkSound->click();
        QCOMPARE(window->chkSound->text(), QStringLiteral("Disabled"));
    }

    void soundPage()
    {
        modMain::SoundsOn = false;
        m_fakes->dir.writeSettings(lines({"[Sounds]", "PM_message=/stored/pm.wav"}));
        frmOptions *window = Form<frmOptions>::get();
        window->show();
        clickNode(window, QStringLiteral("Sound"));

        clickSoundRow(window, 2);
        QCOMPARE(window->txtBrowse->text(), QStringLiteral("/stored/pm.wav"));

        // The first dialog opens where dialogs open by default, later ones in sound/.
        m_fakes->dialogs.fileAnswers = QStringList{QStringLiteral("/chosen/first.wav"), QString(),
                                             QStringLiteral("/chosen/second.wav")};
        window->Command1->click();
        QCOMPARE(window->soundlist->topLevelItem(1)->text(1), QStringLiteral("/chosen/first.wav"));
        QCOMPARE(window->txtBrowse->text(), QStringLiteral("/chosen/first.wav"));
        QCOMPARE(OptionChoices::current().soundFile(2), QStringLiteral("/chosen/first.wav"));

        window->Command1->click(); // cancelled
        QCOMPARE(window->soundlist->topLevelItem(1)->text(1), QStringLiteral("/chosen/first.wav"));
        QCOMPARE(window->txtBrowse->text(), QStringLiteral("/chosen/first.wav"));
        QCOMPARE(OptionChoices::current().soundFile(2), QStringLiteral("/chosen/first.wav"));

        clickSoundRow(window, 5);
        window->Command1->click();
        QCOMPARE(OptionChoices::current().soundFile(5), QStringLiteral("/chosen/second.wav"));
        QCOMPARE(OptionChoices::current().soundFile(2), QStringLiteral("/chosen/first.wav"));

        QCOMPARE(m_fakes->dialogs.fileDialogs.size(), 3);
        QCOMPARE(m_fakes->dialogs.fileDialogs.at(0).directory, QString());
        QCOMPARE(m_fakes->dialogs.fileDialogs.at(1).directory, m_fakes->dir.path() + QStringLiteral("/sound"));
        QCOMPARE(m_fakes->dialogs.fileDialogs.at(2).directory, m_fakes->dir.path() + QStringLiteral("/sound"));
        for (const FakeDialogs::FileDialogCall &call : m_fakes->dialogs.fileDialogs)
            QCOMPARE(call.filter, QStringLiteral("Audio (*.wav)"));

        // "play" plays what the text box says, with the sound switch off.
        window->txtBrowse->setText(QStringLiteral("/typed/by/hand.wav"));
        window->Command2->click();
        QCOMPARE(m_fakes->player.played, QStringList{QStringLiteral("/typed/by/hand.wav")});
    }

    void cancelledFirstBrowseKeepsTheDefault()
    {
        frmOptions *window = Form<frmOptions>::get();
        window->show();
        window->Command1->click();
        QCOMPARE(OptionChoices::current().soundFile(1), m_fakes->dir.path() + QStringLiteral("/sound/message.wav"));
        window->cmdApply->click();
        QVERIFY(m_fakes->dir.settings().contains(QStringLiteral("Message=") + m_fakes->dir.path()
                                           + QStringLiteral("/sound/message.wav\r\n")));
    }

    void applyWritesEveryKey_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("expected"); // "{app}" is the application directory

        QTest::newRow("no settings file, nothing changed")
            << QString() << Edit([](frmOptions *, FakeDialogs *) {})
            << lines({"[Sounds]", "Message={app}/sound/message.wav", "PM_message={app}/sound/pmprivate.wav",
                      "System={app}/sound/system.wav", "Login={app}/sound/message.wav",
                      "Logout={app}/sound/message.wav", "Value=Off", "[DisplayCorrection]", "On=False", "[UserSvr]",
                      "User=", "Svr=", "AC=0", "[Message]", "Umain=0", "UMsg=Ball", "mssg=Main", "[Interface]",
                      "Style=", "[Chat]", "Log=Off", "Reconnect=Off", "Notify=Off"});
        QTest::newRow("everything changed, typed values trimmed")
            << QString() << Edit([](frmOptions *window, FakeDialogs *dialogs) {
                   window->txtNickname->setText(QStringLiteral("  Ana "));
                   window->txtServer->setText(QStringLiteral(" 10.0.0.9"));
                   window->ChkAU->click();
                   window->ChkMain->click();
                   window->UMWindows->click();
                   window->modWindows->click();
                   window->chkLine->click();
                   window->chkSound->click();
                   window->styleIzbor->setEditText(QStringLiteral("Black Skin "));
                   window->soundlist->setCurrentItem(window->soundlist->topLevelItem(2));
                   dialogs->fileAnswers = QStringList{QStringLiteral(" /picked/system.wav ")};
                   window->Command1->click();
                   window->chkLog->click();
                   window->chkReconnect->click();
                   window->chkNotify->click();
               })
            << lines({"[Sounds]", "Message={app}/sound/message.wav", "PM_message={app}/sound/pmprivate.wav",
                      "System=/picked/system.wav", "Login={app}/sound/message.wav",
                      "Logout={app}/sound/message.wav", "Value=On", "[DisplayCorrection]", "On=True", "[UserSvr]",
                      "User=Ana", "Svr=10.0.0.9", "AC=1", "[Message]", "Umain=1", "UMsg=Win", "mssg=Windows",
                      "[Interface]", "Style=Black Skin", "[Chat]", "Log=On", "Reconnect=On", "Notify=On"});
        QTest::newRow("groups without a selection keep their stored value")
            << lines({"[Message]", "UMsg=Other", "mssg=Other", "[Sounds]", "Value=On", "Message=/a.wav"})
            << Edit([](frmOptions *, FakeDialogs *) {})
            << lines({"[Message]", "UMsg=Other", "mssg=Other", "Umain=0", "[Sounds]", "Value=Off",
                      "Message=/a.wav", "PM_message={app}/sound/pmprivate.wav", "System={app}/sound/system.wav",
                      "Login={app}/sound/message.wav", "Logout={app}/sound/message.wav", "[DisplayCorrection]",
                      "On=False", "[UserSvr]", "User=", "Svr=", "AC=0", "[Interface]", "Style=", "[Chat]", "Log=Off", "Reconnect=Off", "Notify=Off"});
        QTest::newRow("a selection made replaces an unknown value")
            << lines({"[Message]", "UMsg=Other", "mssg=Other"})
            << Edit([](frmOptions *window, FakeDialogs *) {
                   window->UMBalloon->click();
                   window->modBalloon->click();
               })
            << lines({"[Message]", "UMsg=Ball", "mssg=Balloon", "Umain=0", "[Sounds]",
                      "Message={app}/sound/message.wav", "PM_message={app}/sound/pmprivate.wav",
                      "System={app}/sound/system.wav", "Login={app}/sound/message.wav",
                      "Logout={app}/sound/message.wav", "Value=Off", "[DisplayCorrection]", "On=False", "[UserSvr]",
                      "User=", "Svr=", "AC=0", "[Interface]", "Style=", "[Chat]", "Log=Off", "Reconnect=Off", "Notify=Off"});
    }
    void applyWritesEveryKey()
    {
        QFETCH(QString, stored);
        QFETCH(Edit, edit);
        QFETCH(QString, expected);
        m_fakes->dir.writeSettings(stored);
        frmOptions *window = Form<frmOptions>::get();
        window->show();
        edit(window, &m_fakes->dialogs);

        window->cmdApply->click();
        QCOMPARE(m_fakes->dir.settings(), QString(expected).replace(QStringLiteral("{app}"), m_fakes->dir.path()));
        QVERIFY(window->isVisible());
        QCOMPARE(modMain::SoundsOn, expected.contains(QStringLiteral("Value=On")));
        QCOMPARE(modMain::DisplayCorrectionOn, expected.contains(QStringLiteral("On=True")));
    }

    // Another instance of the program on the same file (or this program's sign-on) writes a value
    // after this window has loaded; Apply here writes what was changed here and keeps that value.
    void applyKeepsWhatAnotherWriterStored_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QStringList>("expected"); // lines the file then holds

        QTest::newRow("sound switch here, skin there")
            << "Interface" << "Style" << "Green Skin"
            << Edit([](frmOptions *window, FakeDialogs *) { window->chkSound->click(); })
            << QStringList{"Value=On", "Style=Green Skin"};
        QTest::newRow("nickname here, sound file there")
            << "Sounds" << "Message" << "/other.wav"
            << Edit([](frmOptions *window, FakeDialogs *) { window->txtNickname->setText(QStringLiteral("Ana")); })
            << QStringList{"User=Ana", "Message=/other.wav"};
        QTest::newRow("message of the day here, a sign-on there")
            << "UserSvr" << "User" << "Bob"
            << Edit([](frmOptions *window, FakeDialogs *) { window->modWindows->click(); })
            << QStringList{"mssg=Windows", "User=Bob"};
        QTest::newRow("the same key in both: the later Apply's")
            << "Interface" << "Style" << "Green Skin"
            << Edit([](frmOptions *window, FakeDialogs *) { window->styleIzbor->setEditText(QStringLiteral("Own Skin")); })
            << QStringList{"Style=Own Skin"};
    }
    void applyKeepsWhatAnotherWriterStored()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(Edit, edit);
        QFETCH(QStringList, expected);
        Form<frmOptions>::get()->cmdApply->click(); // every key stored
        unloadOptionsWindow();
        frmOptions *window = Form<frmOptions>::get();
        window->show();

        QVERIFY(modMain::WriteIniValues({{section, key, value}}, m_fakes->dir.settingsPath()));
        edit(window, &m_fakes->dialogs);
        window->cmdApply->click();

        const QStringList stored = m_fakes->dir.settings().split(crlf);
        for (const QString &line : expected)
            QVERIFY2(stored.contains(line), qPrintable(line + QStringLiteral(" missing from:\n") + stored.join(u'\n')));
    }

    // Pending events run in the middle of Apply; one that runs then finds the sound paths written
    // and the skin not yet.
    void applyLetsEventsRunBeforeTheSkin()
    {
        frmOptions *window = Form<frmOptions>::get();
        window->show();
        QString seen;
        QObject runsNoLongerThanThisTest;
        QTimer::singleShot(0, &runsNoLongerThanThisTest, [&] { seen = m_fakes->dir.settings(); });
        window->cmdApply->click();
        QVERIFY(seen.contains(QStringLiteral("Logout=")));
        QVERIFY(!seen.contains(QStringLiteral("[Interface]")));
    }

    void skinNotice_data()
    {
        QTest::addColumn<QString>("stored"); // null: no Style key
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("notice");
        QTest::addColumn<QString>("written");

        QTest::newRow("another of the five") << "Blue Skin" << "Green Skin" << true << "Green Skin";
        QTest::newRow("the stored one") << "Green Skin" << "Green Skin" << false << "Green Skin";
        QTest::newRow("none stored, one of the five") << QString() << "Rad Skin" << true << "Rad Skin";
        QTest::newRow("none stored, none chosen") << QString() << "" << false << "";
        QTest::newRow("leading blank") << "Black Skin" << " Blue Skin" << false << "Blue Skin";
        QTest::newRow("other letter case") << "Black Skin" << "blue skin" << false << "blue skin";
        QTest::newRow("not one of the five") << "Blue Skin" << "Purple Skin" << false << "Purple Skin";
        QTest::newRow("back from an unlisted one") << "Purple Skin" << "Yellow Skin" << true << "Yellow Skin";
    }
    void skinNotice()
    {
        QFETCH(QString, stored);
        QFETCH(QString, chosen);
        QFETCH(bool, notice);
        QFETCH(QString, written);
        if (!stored.isNull())
            m_fakes->dir.writeSettings(lines({"[Interface]", "Style=" + stored}));
        frmOptions *window = Form<frmOptions>::get();
        window->show();
        window->styleIzbor->setEditText(chosen);

        window->cmdApply->click();
        QCOMPARE(m_fakes->dialogs.messageBoxes.size(), notice ? 1 : 0);
        if (notice) {
            const FakeDialogs::MessageBoxCall &box = m_fakes->dialogs.messageBoxes.first();
            QCOMPARE(box.text, QStringLiteral("New skins will be load on next startup!!"));
            QCOMPARE(box.title, QStringLiteral("Information"));
            QCOMPARE(box.icon, QMessageBox::Information);
            QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        }
        QVERIFY(m_fakes->dir.settings().contains(QStringLiteral("[Interface]\r\nStyle=") + written + crlf));

        // Once stored, the same choice tells nothing more.
        window->cmdApply->click();
        QCOMPARE(m_fakes->dialogs.messageBoxes.size(), notice ? 1 : 0);
    }

    void okAppliesThenCloses()
    {
        m_fakes->dir.writeSettings(lines({"[Interface]", "Style=Blue Skin"}));
        frmOptions *window = Form<frmOptions>::get();
        window->show();
        window->styleIzbor->setEditText(QStringLiteral("Green Skin"));
        bool loadedDuringNotice = false;
        m_fakes->dialogs.whileMessageBoxOpen = [&] { loadedDuringNotice = Form<frmOptions>::isLoaded(); };

        window->cmdOK->click();
        QVERIFY(loadedDuringNotice);
        QVERIFY(!Form<frmOptions>::isLoaded());
        QVERIFY(m_fakes->dir.settings().contains(QStringLiteral("Style=Green Skin\r\n")));
    }

    void cancelAndCloseBoxWriteNothing_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Cancel") << false;
        QTest::newRow("close box") << true;
    }
    void cancelAndCloseBoxWriteNothing()
    {
        QFETCH(bool, closeBox);
        const QString stored = lines({"[Sounds]", "Value=On"});
        m_fakes->dir.writeSettings(stored);
        modMain::SoundsOn = true;
        frmOptions *window = Form<frmOptions>::get();
        window->show();
        window->chkSound->click();
        window->txtNickname->setText(QStringLiteral("Marko"));

        if (closeBox)
            window->close();
        else
            window->cmdCancel->click();
        QVERIFY(!Form<frmOptions>::isLoaded());
        QCOMPARE(m_fakes->dir.settings(), stored);
        QVERIFY(modMain::SoundsOn);
    }

    // A cancelled change of a switch is not stored by a later Apply of a fresh window.
    void switchChoicesStartAfreshWithEachLoad()
    {
        frmOptions *window = Form<frmOptions>::get();
        window->show();
        window->chkSound->click();
        window->chkLine->click();
        window->cmdCancel->click();
        unloadOptionsWindow();

        window = Form<frmOptions>::get();
        window->show();
        QVERIFY(!window->chkSound->isChecked());
        window->cmdApply->click();
        QVERIFY(m_fakes->dir.settings().contains(QStringLiteral("Value=Off")));
        QVERIFY(m_fakes->dir.settings().contains(QStringLiteral("On=False")));
        QVERIFY(!modMain::SoundsOn);
    }

    // Apply writes its keys in one replacement per stretch between its yields: the sound paths; the
    // switches, sign-on fields and join choices; the message of the day; the skin. An Apply that
    // changes nothing writes nothing.
    void applyReplacesTheFileOncePerStretch()
    {
        frmOptions *window = Form<frmOptions>::get();
        window->show();
        window->styleIzbor->setEditText(QStringLiteral("Own Skin"));
        ReplacementCounter replacements(m_fakes->dir.settingsPath());
        QVERIFY(replacements.isValid());
        window->cmdApply->click();
        QCOMPARE(replacements.take(), 4);
        window->cmdApply->click();
        QCOMPARE(replacements.take(), 0);
        window->txtNickname->setText(QStringLiteral("Ann"));
        window->cmdApply->click();
        QCOMPARE(replacements.take(), 1);
    }

    // On a full disk Apply keeps the file as it was, still sets the switches for this run, and the
    // user is told once, not at every Apply.
    void failedApplyIsToldOnce()
    {
        const QString before = QStringLiteral("[Sounds]\r\nValue=Off\r\n");
        m_fakes->dir.writeSettings(before);
        modMain::ResetSettingsNotSavedNotice();
        frmOptions *window = Form<frmOptions>::get();
        window->show();
        window->chkSound->click();
        {
            const FileSizeLimit fullDisk(0);
            QVERIFY(fullDisk.isValid());
            window->cmdApply->click();
            window->cmdApply->click();
        }
        QCOMPARE(m_fakes->dir.settings(), before);
        QVERIFY(modMain::SoundsOn);
        QCOMPARE(m_fakes->dialogs.messageBoxes.size(), 1);
        QCOMPARE(m_fakes->dialogs.messageBoxes.first().title, QStringLiteral("Client"));
        QCOMPARE(m_fakes->dialogs.messageBoxes.first().icon, QMessageBox::Warning);
    }

    // The chat's features are off unless [Chat] says "On"; a change is followed from Apply on, and
    // Cancel leaves what is in force.
    void chatFeaturesTakeEffectWithApply()
    {
        m_fakes->dir.writeSettings(lines({"[Chat]", "Log=On", "Reconnect=on", "Notify=1"}));
        ChatFeatures::setInForce({});
        frmOptions *window = Form<frmOptions>::get();
        window->show();
        QVERIFY(window->chkLog->isChecked());
        QVERIFY(!window->chkReconnect->isChecked());
        QVERIFY(!window->chkNotify->isChecked());

        window->chkReconnect->click();
        QVERIFY(!ChatFeatures::inForce().reconnect);
        window->cmdApply->click();
        QVERIFY(ChatFeatures::inForce().logging);
        QVERIFY(ChatFeatures::inForce().reconnect);
        QVERIFY(!ChatFeatures::inForce().notifications);
        QVERIFY(m_fakes->dir.settings().startsWith(lines({"[Chat]", "Log=On", "Reconnect=On", "Notify=Off"})));

        window->chkLog->click();
        window->cmdCancel->click();
        QVERIFY(ChatFeatures::inForce().logging);
        QCOMPARE(ChatFeatures::read().logging, true);
    }

    // The user may close the window while Apply waits for events; Apply still finishes its writes.
    void closingDuringApplyFinishesTheWrites()
    {
        frmOptions *window = Form<frmOptions>::get();
        window->show();
        window->styleIzbor->setEditText(QStringLiteral("Rad Skin"));
        QTimer::singleShot(0, window, [window] { window->cmdCancel->click(); });
        window->cmdApply->click();
        QVERIFY(!Form<frmOptions>::isLoaded());
        QVERIFY(m_fakes->dir.settings().contains(QStringLiteral("Style=Rad Skin\r\n")));
        QCOMPARE(m_fakes->dialogs.messageBoxes.size(), 1);
    }

private:
    std::unique_ptr<OptionsFakes> m_fakes;
};

QTEST_MAIN(tst_frmOptions)
#include "tst_frmoptions.moc"
