#include "app/Pictures.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

QStringList builtInPictures()
{
    QStringList paths;
    const QDir folder(QStringLiteral(":/pictures"));
    for (const QString &name : folder.entryList(QDir::Files))
        paths.append(folder.filePath(name));
    return paths;
}

// The image format plug-ins this process has loaded, from its memory map.
QStringList loadedImagePlugins()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return {QStringLiteral("(no /proc/self/maps)")};
    QStringList plugins;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        if (line.contains("/imageformats/"))
            plugins.append(QString::fromLocal8Bit(line.mid(line.lastIndexOf(' ') + 1)));
    }
    plugins.removeDuplicates();
    return plugins;
}

} // namespace

class tst_Pictures : public QObject
{
    Q_OBJECT
private slots:
    // Each picture is read as PNG and nothing else: one saved in another format under a .png name
    // would be blank.
    void everyBuiltInPictureIsPng()
    {
        const QStringList paths = builtInPictures();
        QVERIFY(paths.size() > 10);
        for (const QString &path : paths)
            QVERIFY2(!Pictures::forOneUse(path).isNull(), qPrintable(path));
    }

    void programIconHasEachSizeDrawn()
    {
        const QList<QSize> sizes = Pictures::programIcon().availableSizes();
        for (const QSize size : {QSize(16, 16), QSize(32, 32), QSize(64, 64)})
            QVERIFY2(sizes.contains(size), qPrintable(QStringLiteral("%1 px").arg(size.width())));
    }

    // Qt's reader asks every installed image plug-in whether it reads a picture whose format it is
    // not told, loading each (and the JPEG library) into the process for good.
    void readingNeedsNoImagePlugin()
    {
        for (const QString &path : builtInPictures())
            Pictures::icon({path});
        Pictures::programIcon();
        QCOMPARE(loadedImagePlugins(), QStringList());
    }
};

QTEST_MAIN(tst_Pictures)
#include "tst_pictures.moc"
