#include "windows/ScaledPicture.h"

#include <QImage>
#include <QPixmap>
#include <QTest>

// The picture fills the label whatever its size, stretched, as a label with scaled contents shows it.
class tst_ScaledPicture : public QObject
{
    Q_OBJECT
private slots:
    void pictureFillsTheLabel_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("larger than the picture") << QSize(120, 90);
        QTest::newRow("narrow and tall") << QSize(10, 200);
        QTest::newRow("the picture's own size") << QSize(2, 2);
    }
    void pictureFillsTheLabel()
    {
        QFETCH(QSize, size);
        QImage quarters(2, 2, QImage::Format_RGB32);
        quarters.setPixel(0, 0, qRgb(255, 0, 0));
        quarters.setPixel(1, 0, qRgb(0, 255, 0));
        quarters.setPixel(0, 1, qRgb(0, 0, 255));
        quarters.setPixel(1, 1, qRgb(255, 255, 0));

        ScaledPicture label;
        label.setPixmap(QPixmap::fromImage(quarters));
        label.resize(size);
        const QImage shown = label.grab().toImage();

        QCOMPARE(shown.size(), size);
        const int right = size.width() - 1;
        const int bottom = size.height() - 1;
        QCOMPARE(shown.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(shown.pixel(right, 0), qRgb(0, 255, 0));
        QCOMPARE(shown.pixel(0, bottom), qRgb(0, 0, 255));
        QCOMPARE(shown.pixel(right, bottom), qRgb(255, 255, 0));
    }
};

QTEST_MAIN(tst_ScaledPicture)
#include "tst_scaledpicture.moc"
