#include "DecorativePicture.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

constexpr char decorativeProperty[] = "korvaniDecorativePicture";

class HiddenPictureAccessible : public QAccessibleWidget
{
public:
    explicit HiddenPictureAccessible(QWidget *picture)
        : QAccessibleWidget(picture, QAccessible::Graphic)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.invisible = true;
        return state;
    }
};

// Asked first with the picture's own class, before Qt's interface for labels.
QAccessibleInterface *pictureInterface(const QString &, QObject *object)
{
    if (!object || !object->isWidgetType() || !object->property(decorativeProperty).toBool())
        return nullptr;
    return new HiddenPictureAccessible(static_cast<QWidget *>(object));
}

} // namespace

void DecorativePicture::mark(QWidget *picture)
{
    static const bool installed = [] {
        QAccessible::installFactory(pictureInterface);
        return true;
    }();
    Q_UNUSED(installed);
    picture->setProperty(decorativeProperty, true);
}
