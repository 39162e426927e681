#include "ImageCache.h"

#include <QFileInfo>
#include <QImageReader>

namespace {

// Bigger pictures are not smileys; reading them would only cost memory.
constexpr qint64 largestFile = 4 * 1024 * 1024;

QPixmap readPicture(const QString &path)
{
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile() || file.size() > largestFile)
        return {};
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return QPixmap::fromImage(reader.read());
}

} // namespace

QString ImageCache::localPath(const QUrl &name)
{
    if (name.isLocalFile())
        return name.toLocalFile();
    if (!name.scheme().isEmpty() || !name.host().isEmpty())
        return {};
    // A path with "#" or "?" in it was split into fragment and query by QUrl; put it back together.
    return QUrl::fromPercentEncoding(name.toEncoded());
}

QPixmap ImageCache::image(const QUrl &name)
{
    const QString path = localPath(name);
    const auto cached = m_images.constFind(path);
    if (cached != m_images.cend())
        return *cached;
    const QPixmap picture = readPicture(path);
    m_images.insert(path, picture);
    return picture;
}
