#include "windows/ChatLayout.h"

#include <QTest>

// The resize rules of the main window, on sizes from roomy to too small to hold anything.
class tst_ChatLayout : public QObject
{
    Q_OBJECT

    static QRect control(const ChatLayout::Geometry &geometry, const QByteArray &name)
    {
        const QHash<QByteArray, QRect> controls = {
            {"lstUsers", geometry.lstUsers},     {"users", geometry.users},
            {"cmdSend", geometry.cmdSend},       {"txtText", geometry.txtText},
            {"txtHistory", geometry.txtHistory}, {"style", geometry.style},
            {"style_userlist", geometry.style_userlist},
        };
        return controls.value(name);
    }

    static ChatLayout::Geometry layoutFor(const QSize &clientSize, const ChatLayout::Geometry &from)
    {
        const QSize outer = ChatLayout::outerSize(clientSize);
        return ChatLayout::apply(outer.width(), outer.height(), from);
    }

private slots:
    void placesEveryControl_data()
    {
        QTest::addColumn<QSize>("clientSize");
        QTest::addColumn<QByteArray>("control");
        QTest::addColumn<QRect>("expected");

        // The designed client area: the user column keeps its designed left edge and ends 240 before
        // the outer edge; transcript and input line end 240 before the column.
        const QSize designed = ChatLayout::designedClientSize();
        QTest::newRow("designed lstUsers") << designed << QByteArray("lstUsers") << QRect(6120, 840, 1815, 3565);
        QTest::newRow("designed users") << designed << QByteArray("users") << QRect(6120, 600, 1815, 2605);
        QTest::newRow("designed cmdSend") << designed << QByteArray("cmdSend") << QRect(5880, 3655, 1935, 375);
        QTest::newRow("designed txtText") << designed << QByteArray("txtText") << QRect(120, 3685, 5880, 675);
        QTest::newRow("designed txtHistory") << designed << QByteArray("txtHistory") << QRect(120, 600, 5880, 2935);
        QTest::newRow("designed style") << designed << QByteArray("style") << QRect(0, 240, 8175, 5205);
        QTest::newRow("designed style_userlist")
            << designed << QByteArray("style_userlist") << QRect(6120, 600, 1815, 2605);

        const QSize large(28800, 15000);
        QTest::newRow("large lstUsers") << large << QByteArray("lstUsers") << QRect(26775, 840, 1815, 13840);
        QTest::newRow("large users") << large << QByteArray("users") << QRect(26775, 600, 1815, 12880);
        QTest::newRow("large cmdSend") << large << QByteArray("cmdSend") << QRect(26535, 13930, 1935, 375);
        QTest::newRow("large txtText") << large << QByteArray("txtText") << QRect(120, 13960, 26535, 675);
        QTest::newRow("large txtHistory") << large << QByteArray("txtHistory") << QRect(120, 600, 26535, 13210);
        QTest::newRow("large style") << large << QByteArray("style") << QRect(0, 240, 28830, 15480);
        QTest::newRow("large style_userlist")
            << large << QByteArray("style_userlist") << QRect(26775, 600, 1815, 12880);

        // Narrower than the user column: the column slides out to the left, the transcript and the
        // input line would get negative widths and keep theirs.
        const QSize narrow(1500, 4725);
        QTest::newRow("narrow lstUsers") << narrow << QByteArray("lstUsers") << QRect(-525, 840, 1815, 3565);
        QTest::newRow("narrow users") << narrow << QByteArray("users") << QRect(-525, 600, 1815, 2605);
        QTest::newRow("narrow cmdSend") << narrow << QByteArray("cmdSend") << QRect(-765, 3655, 1935, 375);
        QTest::newRow("narrow txtText") << narrow << QByteArray("txtText") << QRect(120, 3685, 5895, 675);
        QTest::newRow("narrow txtHistory") << narrow << QByteArray("txtHistory") << QRect(120, 600, 5895, 2935);
        QTest::newRow("narrow style") << narrow << QByteArray("style") << QRect(0, 240, 1530, 5205);
        QTest::newRow("narrow style_userlist")
            << narrow << QByteArray("style_userlist") << QRect(-525, 600, 1815, 2605);

        // One pixel: every negative height is refused as well, positions still follow the rules.
        const QSize tiny(15, 15);
        QTest::newRow("tiny lstUsers") << tiny << QByteArray("lstUsers") << QRect(-2010, 840, 1815, 3570);
        QTest::newRow("tiny users") << tiny << QByteArray("users") << QRect(-2010, 600, 1815, 255);
        QTest::newRow("tiny cmdSend") << tiny << QByteArray("cmdSend") << QRect(-2250, -1055, 1935, 375);
        QTest::newRow("tiny txtText") << tiny << QByteArray("txtText") << QRect(120, -1025, 5895, 675);
        QTest::newRow("tiny txtHistory") << tiny << QByteArray("txtHistory") << QRect(120, 600, 5895, 3015);
        QTest::newRow("tiny style") << tiny << QByteArray("style") << QRect(0, 240, 45, 495);
        QTest::newRow("tiny style_userlist")
            << tiny << QByteArray("style_userlist") << QRect(-2010, 600, 1815, 315);
    }

    void placesEveryControl()
    {
        QFETCH(QSize, clientSize);
        QFETCH(QByteArray, control);
        QFETCH(QRect, expected);

        QCOMPARE(this->control(layoutFor(clientSize, ChatLayout::designed()), control), expected);
    }

    // Whatever a too small size refused or moved, the next usable size lays everything out as
    // if the window had never been small.
    void usableSizeRestoresLayoutAfterTooSmall_data()
    {
        QTest::addColumn<QSize>("smallSize");
        QTest::newRow("one pixel") << QSize(15, 15);
        QTest::newRow("zero") << QSize(0, 0);
        QTest::newRow("narrow") << QSize(1500, 4725);
        QTest::newRow("flat") << QSize(8145, 150);
        QTest::newRow("title bar only") << QSize(2400, 0);
    }

    void usableSizeRestoresLayoutAfterTooSmall()
    {
        QFETCH(QSize, smallSize);
        const QSize usable(9000, 6000);

        const ChatLayout::Geometry direct = layoutFor(usable, ChatLayout::designed());
        const ChatLayout::Geometry viaSmall = layoutFor(usable, layoutFor(smallSize, ChatLayout::designed()));
        QCOMPARE(viaSmall, direct);
    }

    // Rules 5, 8 and 9 read the list's left edge that rule 1 has just set, rule 10 the input
    // line's top that rule 7 has just set: a stale geometry must not leak into the result.
    void laterRulesSeeEarlierResults()
    {
        ChatLayout::Geometry stale = ChatLayout::designed();
        stale.lstUsers.moveLeft(99999);
        stale.txtText.moveTop(99999);

        const ChatLayout::Geometry result = layoutFor(ChatLayout::designedClientSize(), stale);
        QCOMPARE(result, layoutFor(ChatLayout::designedClientSize(), ChatLayout::designed()));
    }
};

QTEST_GUILESS_MAIN(tst_ChatLayout)
#include "tst_chatlayout.moc"
