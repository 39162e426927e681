#pragma once

#include <QHash>
#include <QPixmap>
#include <QString>
#include <QUrl>

// The pictures the page shows (the smileys), each read from disk once. Rows name them by an absolute
// local path without a scheme ("/opt/korvani/smile/lol.gif"); file: URLs are read too. Nothing is
// ever fetched from the network.
class ImageCache
{
public:
    // A null pixmap when the file is missing, is a directory or is not a picture: the page then shows
    // its broken-image sign.
    QPixmap image(const QUrl &name);
    void clear() { m_images.clear(); }

    // The local file a picture's URL names, or an empty string for any other URL.
    static QString localPath(const QUrl &name);

private:
    QHash<QString, QPixmap> m_images;
};
