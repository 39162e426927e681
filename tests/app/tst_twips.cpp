#include "app/Twips.h"

#include <QTest>

class tst_Twips : public QObject
{
    Q_OBJECT
private slots:
    // The notice windows are drawn on whole pixels; the other windows' controls may fall between
    // two pixels and are rounded, each edge and size on its own.
    void toPixels_data()
    {
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QRect>("pixels");
        QTest::newRow("message of the day window") << QRect(8145, 6900, 3840, 1545) << QRect(543, 460, 256, 103);
        QTest::newRow("new user window") << QRect(8625, 6405, 2985, 2010) << QRect(575, 427, 199, 134);
        QTest::newRow("picture above the client area") << QRect(0, -240, 3000, 2250) << QRect(0, -16, 200, 150);
        QTest::newRow("between pixels") << QRect(4690, 4807, 442, 187) << QRect(313, 320, 29, 12);
        QTest::newRow("half a pixel") << QRect(7, 8, 22, 23) << QRect(0, 1, 1, 2);
    }

    void toPixels()
    {
        QFETCH(QRect, twips);
        QFETCH(QRect, pixels);
        QCOMPARE(Twips::toPixels(twips), pixels);
    }
};

QTEST_GUILESS_MAIN(tst_Twips)
#include "tst_twips.moc"
