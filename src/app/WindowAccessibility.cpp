#include "WindowAccessibility.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

// Asked for every class of a widget, most derived first: a window class of the program's own
// has no interface of its own, so the question reaches plain QWidget.
QAccessibleInterface *windowInterface(const QString &className, QObject *object)
{
    if (className != QLatin1String("QWidget") || !object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    return widget->isWindow() ? new QAccessibleWidget(widget, QAccessible::Window) : nullptr;
}

} // namespace

void WindowAccessibility::install()
{
    QAccessible::installFactory(windowInterface);
}
