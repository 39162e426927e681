#include "support/ChatWindowTestCase.h"

#include "app/Form.h"
#include "app/WindowAccessibility.h"
#include "notify/frmMessage.h"
#include "notify/frmNewuser.h"
#include "options/frmOptions.h"
#include "windows/ComposeToolbar.h"
#include "windows/InputLine.h"
#include "windows/ScreenReaderNotice.h"
#include "windows/frmAbout.h"
#include "windows/frmChat.h"
#include "windows/frmPM.h"
#include "windows/frmPrompt.h"
#include "windows/frmSignon.h"
#include "windows/frmSmile.h"
#include "windows/frmUrl.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

// What a screen reader finds in each window: the window itself as a window, and a name for every
// control the keyboard can reach.
class tst_Accessibility : public ChatWindowTestCase
{
    Q_OBJECT

    using Loader = std::function<QWidget *()>;

    template <typename Window>
    static Loader loader()
    {
        return [] { return static_cast<QWidget *>(Form<Window>::get()); };
    }

    // Controls the keyboard can reach: a tab stop of this window (not of a drop-down's popup) that is
    // not hidden on purpose, and not a part of another control that speaks for it.
    static QList<QWidget *> reachableControls(QWidget *window)
    {
        QList<QWidget *> controls;
        for (QWidget *widget : window->findChildren<QWidget *>()) {
            if (!(widget->focusPolicy() & Qt::TabFocus) || widget->isHidden() || widget->window() != window)
                continue;
            if (widget->parentWidget() && widget->parentWidget()->focusProxy() == widget)
                continue;
            controls.append(widget);
        }
        return controls;
    }

    static QString accessibleName(QObject *object)
    {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(object);
        return accessible ? accessible->text(QAccessible::Name) : QString();
    }

private slots:
    void init() { WindowAccessibility::install(); }

    void cleanup()
    {
        Form<frmSignon>::unload();
        Form<frmOptions>::unload();
        Form<frmPM>::unload();
        Form<frmPrompt>::unload();
        Form<frmSmile>::unload();
        Form<frmUrl>::unload();
        Form<frmAbout>::unload();
        Form<frmMessage>::unload();
        Form<frmNewuser>::unload();
        Form<frmChat>::unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void everyControlHasAName_data()
    {
        QTest::addColumn<Loader>("load");
        QTest::newRow("sign-on") << loader<frmSignon>();
        QTest::newRow("chat") << loader<frmChat>();
        QTest::newRow("options") << loader<frmOptions>();
        QTest::newRow("private message") << loader<frmPM>();
        QTest::newRow("prompt") << loader<frmPrompt>();
        QTest::newRow("smileys") << loader<frmSmile>();
        QTest::newRow("link") << loader<frmUrl>();
        QTest::newRow("about") << loader<frmAbout>();
    }

    void everyControlHasAName()
    {
        QFETCH(Loader, load);
        QWidget *window = load();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));

        QAccessibleInterface *accessibleWindow = QAccessible::queryAccessibleInterface(window);
        QVERIFY(accessibleWindow);
        QCOMPARE(accessibleWindow->role(), QAccessible::Window);
        QCOMPARE(accessibleWindow->text(QAccessible::Name), window->windowTitle());

        const QList<QWidget *> controls = reachableControls(window);
        QVERIFY(!controls.isEmpty());
        for (QWidget *control : controls) {
            const QString name = accessibleName(control);
            QVERIFY2(!name.trimmed().isEmpty(),
                     qPrintable(QStringLiteral("%1 (%2) has no name").arg(control->objectName(),
                                                                          control->metaObject()->className())));
        }
    }

    // Every picture on screen either says what it shows or is left out for assistive technology,
    // which then neither reads it nor stops on it.
    void picturesAreNamedOrHidden_data()
    {
        everyControlHasAName_data();
        QTest::newRow("message of the day") << loader<frmMessage>();
        QTest::newRow("new user") << loader<frmNewuser>();
    }

    void picturesAreNamedOrHidden()
    {
        QFETCH(Loader, load);
        QWidget *window = load();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));

        for (QLabel *label : window->findChildren<QLabel *>()) {
            if (label->pixmap().isNull() || label->isHidden())
                continue;
            QAccessibleInterface *picture = QAccessible::queryAccessibleInterface(label);
            QVERIFY2(!picture->text(QAccessible::Name).trimmed().isEmpty() || picture->state().invisible,
                     qPrintable(label->objectName() + QStringLiteral(" is an unnamed picture")));
        }
    }

    // The tool bar's buttons are buttons, named by their tips; a button shows as pressed while it
    // is down doing its action, and pressing it through assistive technology clicks it.
    void toolbarButtonsAreButtons()
    {
        frmChat *chat = Form<frmChat>::get();
        for (int index = 1; index <= ComposeToolbar::ButtonCount; ++index) {
            QAction *button = chat->Toolbar1->button(index);
            if (button->isSeparator())
                continue;
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(chat->Toolbar1->widgetForAction(button));
            QCOMPARE(accessible->role(), QAccessible::Button);
            QCOMPARE(accessible->text(QAccessible::Name), button->toolTip());
            QVERIFY(!accessible->state().checkable);
            QVERIFY(!accessible->state().pressed);
            button->setChecked(true);
            QVERIFY(accessible->state().pressed);
            QVERIFY(!accessible->state().checked);
            button->setChecked(false);
        }

        chat->txtText->setText(QString());
        QAccessibleInterface *bold = QAccessible::queryAccessibleInterface(chat->Toolbar1->widgetForAction(chat->Toolbar1->button(3)));
        QVERIFY(bold->actionInterface());
        QVERIFY(bold->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
        bold->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(chat->txtText->text(), QStringLiteral("[B][/B]"));
    }

    // A screen reader speaks a notification that appears in a status bar whatever has the focus:
    // each new message, private message and join appears as one, saying who and what. (That it
    // appears is told over the desktop's accessibility bus alone: screen_reader_view listens there.)
    void newRowsAreSpoken_data()
    {
        QTest::addColumn<QString>("block");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("public message") << "Message bob:hello" << "bob: hello";
        QTest::newRow("public message with tags and a smiley") << "Message bob:[B]so[/B] happy :)" << "bob: so happy ";
        QTest::newRow("private message") << "PMMessage bob|psst" << "Private message from bob: psst";
        QTest::newRow("private message with markup as typed") << "PMMessage bob|<b>x</b> [B]" << "Private message from bob: <b>x</b> [B]";
        QTest::newRow("join") << "Joined bob" << "bob joined the chat";
        QTest::newRow("longest message, cut")
            << "Message bob:" + QString(64 * 1024, u'w') << "bob: " + QString(ScreenReaderNotice::spokenLimit - 5, u'w');
    }

    void newRowsAreSpoken()
    {
        QFETCH(QString, block);
        QFETCH(QString, spoken);
        frmChat *chat = Form<frmChat>::get();
        chat->DataParsing(block);

        QAccessibleInterface *notice = QAccessible::queryAccessibleInterface(chat->notice);
        QCOMPARE(notice->role(), QAccessible::Notification);
        QCOMPARE(notice->text(QAccessible::Name), spoken);
        QVERIFY(notice->parent());
        QCOMPARE(notice->parent()->role(), QAccessible::StatusBar);
    }

    // The sign-on boxes are named by their labels, not by the frame around them.
    void signOnBoxesAreNamedByTheirLabels()
    {
        frmSignon *signon = Form<frmSignon>::get();
        QCOMPARE(accessibleName(signon->txtUser), QStringLiteral("Username:"));
        QCOMPARE(accessibleName(signon->txtSvrIp), QStringLiteral("Server IP:"));
    }
};

QTEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
