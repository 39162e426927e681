#include "notify/NoticePlacement.h"

#include <QTest>

class tst_NoticePlacement : public QObject
{
    Q_OBJECT
private slots:
    void moveIntoView_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRect>("placed");

        const QRect message(543, 460, 256, 103);
        const QRect newuser(575, 427, 199, 134);
        QTest::newRow("message of the day on 1024x768 stays")
            << message << QRect(0, 0, 1024, 768) << message;
        QTest::newRow("message of the day on 800x600 just fits")
            << message << QRect(0, 0, 800, 600) << message;
        QTest::newRow("message of the day on 640x480 moves up and left")
            << message << QRect(0, 0, 640, 480) << QRect(384, 377, 256, 103);
        QTest::newRow("new user on 640x480 above a 32 pixel panel")
            << newuser << QRect(0, 0, 640, 448) << QRect(441, 314, 199, 134);
        QTest::newRow("new user on a screen too narrow only")
            << newuser << QRect(0, 0, 700, 900) << QRect(501, 427, 199, 134);
        QTest::newRow("left panel pushes the window right")
            << QRect(10, 100, 50, 50) << QRect(64, 0, 800, 600) << QRect(64, 100, 50, 50);
        QTest::newRow("second screen to the right of the first")
            << QRect(1280 + 543, 460, 256, 103) << QRect(1280, 0, 800, 600) << QRect(1280 + 543, 460, 256, 103);
        QTest::newRow("window larger than the area keeps its corner in it")
            << message << QRect(0, 0, 200, 100) << QRect(0, 0, 256, 103);
    }

    void moveIntoView()
    {
        QFETCH(QRect, window);
        QFETCH(QRect, area);
        QFETCH(QRect, placed);
        QCOMPARE(NoticePlacement::moveIntoView(window, area), placed);
    }
};

QTEST_GUILESS_MAIN(tst_NoticePlacement)
#include "tst_noticeplacement.moc"
