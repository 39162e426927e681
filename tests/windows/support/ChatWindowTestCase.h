#pragma once

#include "ChatWindowFakes.h"

#include <QObject>
#include <QTest>

// A main-window test case: its fakes are in place from the first test to the last.
class ChatWindowTestCase : public QObject
{
    Q_OBJECT

protected:
    ChatWindowFakes fakes;

private slots:
    void initTestCase()
    {
        QVERIFY(fakes.appDir.isValid());
        fakes.install();
    }

    void cleanupTestCase() { fakes.uninstall(); }
};
