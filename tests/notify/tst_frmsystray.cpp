#include "notify/frmSysTray.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

// The desktop's tray as the component sees it: what Qt's tray icon reports, turned into the
// component's signals, and the menu it opens.
class tst_frmSysTray : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
    }

    void trayActivityRaisesEvents_data()
    {
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::addColumn<QString>("event");

        QTest::newRow("left click: mouse down with the left button")
            << QSystemTrayIcon::Trigger << QStringLiteral("SysTrayMouseDown 1");
        QTest::newRow("left double click") << QSystemTrayIcon::DoubleClick << QStringLiteral("SysTrayDoubleClick 1");
        QTest::newRow("right button: mouse down with the right button")
            << QSystemTrayIcon::Context << QStringLiteral("SysTrayMouseDown 2");
        QTest::newRow("middle button is ignored") << QSystemTrayIcon::MiddleClick << QString();
        QTest::newRow("unknown activity is ignored") << QSystemTrayIcon::Unknown << QString();
    }

    void trayActivityRaisesEvents()
    {
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        QFETCH(QString, event);

        frmSysTray tray;
        recordMouseEvents(tray);
        emit trayIcon(tray)->activated(reason);
        QCOMPARE(m_events, event.isEmpty() ? QStringList() : QStringList{event});
    }

    void clickOnBalloonRaisesBalloonClicked()
    {
        frmSysTray tray;
        QSignalSpy clicked(&tray, &frmSysTray::BalloonClicked);
        emit trayIcon(tray)->messageClicked();
        QCOMPARE(clicked.count(), 1);
    }

    void balloonsAreDroppedWithoutATray()
    {
        if (frmSysTray::BalloonsSupported())
            QSKIP("this desktop has a tray that shows balloons");
        frmSysTray tray;
        tray.setIconHandle(programIcon());
        QSignalSpy shown(&tray, &frmSysTray::BalloonShow);
        tray.ShowBalloonTip(QStringLiteral("Ana has join the chat!!!"), QStringLiteral("New User"),
                            frmSysTray::InformationIcon, 3000);
        QCOMPARE(shown.count(), 0);
    }

    void balloonOnATrayRaisesShow()
    {
        if (!frmSysTray::BalloonsSupported())
            QSKIP("no tray on this desktop");
        frmSysTray tray;
        QSignalSpy shown(&tray, &frmSysTray::BalloonShow);
        tray.ShowBalloonTip(QStringLiteral("before the icon has a picture"), QString(), frmSysTray::NoIcon, 3000);
        QCOMPARE(shown.count(), 0);

        tray.setIconHandle(programIcon());
        tray.ShowBalloonTip(QStringLiteral("Ana has join the chat!!!"), QStringLiteral("New User"),
                            frmSysTray::InformationIcon, 3000);
        QCOMPARE(shown.count(), 1);
    }

    void toolTipIsCutToTheTrayCapacity_data()
    {
        QTest::addColumn<int>("length");
        const int capacity = frmSysTray::BalloonsSupported() ? frmSysTray::ToolTipCapacity
                                                             : frmSysTray::ToolTipCapacityWithoutBalloons;
        QTest::newRow("empty") << 0;
        QTest::newRow("short") << 12;
        QTest::newRow("one less than the capacity") << capacity - 1;
        QTest::newRow("the capacity") << capacity;
        QTest::newRow("one more than the capacity") << capacity + 1;
        QTest::newRow("far longer") << 1000;
    }

    void toolTipIsCutToTheTrayCapacity()
    {
        QFETCH(int, length);
        const int capacity = frmSysTray::BalloonsSupported() ? frmSysTray::ToolTipCapacity
                                                             : frmSysTray::ToolTipCapacityWithoutBalloons;
        QString tip;
        for (int i = 0; i < length; ++i)
            tip.append(QChar(u'a' + i % 26));

        frmSysTray tray;
        tray.setToolTip(tip);
        QCOMPARE(tray.ToolTip(), tip.left(capacity));
        QCOMPARE(trayIcon(tray)->toolTip(), tip.left(capacity));
    }

    void iconIsOnTheTrayOnlyWithAPicture()
    {
        frmSysTray tray;
        QVERIFY(tray.IconHandle().isNull());
        QVERIFY(!trayIcon(tray)->isVisible());

        const QIcon icon = programIcon();
        tray.setIconHandle(icon);
        QCOMPARE(tray.IconHandle().cacheKey(), icon.cacheKey());
        QVERIFY(trayIcon(tray)->isVisible());

        tray.setIconHandle(QIcon());
        QVERIFY(!trayIcon(tray)->isVisible());
    }

    void menuShowsItemsWithTheDefaultInBold()
    {
        frmSysTray tray;
        tray.AddMenuItem(QStringLiteral("&Show"), QStringLiteral("open"), false);
        tray.AddMenuItem(QStringLiteral("-"), QString(), false);
        tray.AddMenuItem(QStringLiteral("&Close"), QStringLiteral("close"), true);
        tray.AddMenuItem(QStringLiteral("&Later"), QStringLiteral("later"), false);
        tray.EnableMenuItem(3, false);

        QMenu *menu = showMenu(tray);
        QVERIFY(menu);
        QCOMPARE(describe(menu), (QStringList{"&Show", "-", "*&Close", "(off)&Later"}));
        QVERIFY(menu->defaultAction()->font().bold());
    }

    void menuBeforeAnyItemIsEmpty()
    {
        frmSysTray tray;
        tray.ShowMenu();
        const auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(!menu || menu->actions().isEmpty());
    }

    void defaultNamingNoItemLeavesNoBoldItem()
    {
        frmSysTray tray;
        tray.AddMenuItem(QStringLiteral("A"), QStringLiteral("a"), false);
        tray.AddMenuItem(QStringLiteral("B"), QStringLiteral("b"), false);
        tray.AddMenuItem(QStringLiteral("C"), QStringLiteral("c"), true);
        tray.RemoveMenuItem(1);

        QCOMPARE(tray.DefaultMenuIndex(), 2);
        QMenu *menu = showMenu(tray);
        QVERIFY(menu);
        QCOMPARE(describe(menu), (QStringList{"A", "C"}));
    }

    void choosingAnItemRaisesMenuClick_data()
    {
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<int>("removed");
        QTest::addColumn<int>("chosenRow");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("key");

        const QStringList abc{"A", "B", "C"};
        QTest::newRow("first item") << abc << -1 << 0 << 0 << QStringLiteral("a");
        QTest::newRow("last item") << abc << -1 << 2 << 2 << QStringLiteral("c");
        QTest::newRow("item moved down by a removal") << abc << 1 << 1 << 1 << QStringLiteral("c");
        QTest::newRow("emptied item 0 keeps its key") << abc << 0 << 0 << 0 << QStringLiteral("a");
        QTest::newRow("item after a separator") << QStringList{"A", "-", "C"} << -1 << 2 << 2 << QStringLiteral("c");
    }

    void choosingAnItemRaisesMenuClick()
    {
        QFETCH(QStringList, captions);
        QFETCH(int, removed);
        QFETCH(int, chosenRow);
        QFETCH(int, index);
        QFETCH(QString, key);

        frmSysTray tray;
        for (const QString &caption : captions)
            tray.AddMenuItem(caption, caption.toLower(), false);
        tray.RemoveMenuItem(removed);
        QSignalSpy clicks(&tray, &frmSysTray::MenuClick);

        QMenu *menu = showMenu(tray);
        QVERIFY(menu);
        menu->actions().at(chosenRow)->trigger();
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks.at(0).at(0).toInt(), index);
        QCOMPARE(clicks.at(0).at(1).toString(), key);
    }

    void itemCanBeRemovedFromItsOwnClick()
    {
        frmSysTray tray;
        tray.AddMenuItem(QStringLiteral("A"), QStringLiteral("a"), false);
        tray.AddMenuItem(QStringLiteral("B"), QStringLiteral("b"), false);
        connect(&tray, &frmSysTray::MenuClick, &tray, [&tray](int index) { tray.RemoveMenuItem(index); });

        QMenu *menu = showMenu(tray);
        QVERIFY(menu);
        menu->actions().at(1)->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(describe(showMenu(tray)), QStringList{"*A"});
    }

private:
    static QSystemTrayIcon *trayIcon(frmSysTray &tray) { return tray.findChild<QSystemTrayIcon *>(); }
    static QIcon programIcon() { return QIcon(QStringLiteral(":/pictures/korvani.png")); }

    static QMenu *showMenu(frmSysTray &tray)
    {
        tray.ShowMenu();
        return qobject_cast<QMenu *>(QApplication::activePopupWidget());
    }

    // Captions as the menu shows them: "-" for a separator line, "*" before the default item,
    // "(off)" before a disabled one.
    static QStringList describe(const QMenu *menu)
    {
        QStringList captions;
        for (const QAction *action : menu->actions()) {
            QString caption = action->text();
            if (action->isSeparator())
                caption = caption.isEmpty() ? QStringLiteral("-") : QStringLiteral("separator titled ") + caption;
            if (action == menu->defaultAction())
                caption.prepend(QLatin1Char('*'));
            if (!action->isEnabled())
                caption.prepend(QLatin1String("(off)"));
            captions.append(caption);
        }
        return captions;
    }

    void recordMouseEvents(frmSysTray &tray)
    {
        m_events.clear();
        connect(&tray, &frmSysTray::SysTrayMouseDown, this,
                [this](frmSysTray::TrayButton button) { m_events.append(QStringLiteral("SysTrayMouseDown %1").arg(button)); });
        connect(&tray, &frmSysTray::SysTrayMouseUp, this,
                [this](frmSysTray::TrayButton button) { m_events.append(QStringLiteral("SysTrayMouseUp %1").arg(button)); });
        connect(&tray, &frmSysTray::SysTrayDoubleClick, this,
                [this](frmSysTray::TrayButton button) { m_events.append(QStringLiteral("SysTrayDoubleClick %1").arg(button)); });
        connect(&tray, &frmSysTray::SysTrayMouseMove, this, [this] { m_events.append(QStringLiteral("SysTrayMouseMove")); });
        connect(&tray, &frmSysTray::MenuClick, this, [this] { m_events.append(QStringLiteral("MenuClick")); });
    }

    QStringList m_events;
};

QTEST_MAIN(tst_frmSysTray)
#include "tst_frmsystray.moc"
