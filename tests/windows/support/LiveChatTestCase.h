#pragma once

#include "ChatWindowFakes.h"
#include "LiveChatDialogs.h"

#include "app/Dialogs.h"
#include "app/Form.h"
#include "support/LiveChatServer.h"
#include "options/OptionChoices.h"
#include "options/frmOptions.h"
#include "windows/frmChat.h"
#include "windows/frmSignon.h"

#include <QLineEdit>
#include <QObject>
#include <QTest>

// Notice choices a test can set; by default the join row and the message of the day go into the
// page.
class LiveChoices : public FakeOptionChoices
{
public:
    bool joinRow = true;
    bool motdMain = true;
    bool motdWindow = false;

    bool joinRowInMain() const override { return joinRow; }
    bool motdInMain() const override { return motdMain; }
    bool motdInWindow() const override { return motdWindow; }
};

// A test case of the main chat window on a live connection: its fakes, boxes and choices are in
// place, and the sign-on hands over to the chat window as the program wires it, from the first
// test to the last.
class LiveChatTestCase : public QObject
{
    Q_OBJECT

protected:
    // The chat window connected to server as "ana", without sign-on and with the status timer off.
    static bool connectedAsAna(LiveChatServer &server, const QString &address)
    {
        if (!server.isListening())
            return false;
        frmChat *window = Form<frmChat>::get();
        window->show();
        window->txtUser->setText(QStringLiteral("ana"));
        window->Connect(address);
        return QTest::qWaitFor([&server] { return server.received() == "Join ana"; }, 5000);
    }

    ChatWindowFakes fakes;
    LiveChatDialogs dialogs;
    LiveChoices choices;

private slots:
    void initTestCase()
    {
        QVERIFY(fakes.appDir.isValid());
        fakes.install();
        Dialogs::setCurrent(&dialogs);
        OptionChoices::setCurrent(&choices);
        frmSignon::setHandOver(&frmChat::signOn);
        frmOptions::setLocalAddressSource(&frmChat::localAddress);
    }

    void cleanupTestCase()
    {
        frmSignon::setHandOver(nullptr);
        frmOptions::setLocalAddressSource(nullptr);
        fakes.uninstall();
    }
};
