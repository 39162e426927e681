#include "Pictures.h"

#include <QImage>

namespace Pictures {

QPixmap forOneUse(const QString &path)
{
    return QPixmap::fromImage(QImage(path));
}

} // namespace Pictures
