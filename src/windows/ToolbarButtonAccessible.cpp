#include "ToolbarButtonAccessible.h"

#include "ComposeToolbar.h"

#include <QAction>
#include <QToolButton>

namespace {
QAccessibleInterface *toolbarButtonInterface(const QString &className, QObject *object)
{
    if (className != QLatin1String("QToolButton") || !qobject_cast<ComposeToolbar *>(object->parent()))
        return nullptr;
    return new ToolbarButtonAccessible(static_cast<QToolButton *>(object));
}
} // namespace

ToolbarButtonAccessible::ToolbarButtonAccessible(QToolButton *button)
    : QAccessibleWidget(button, QAccessible::Button)
{
}

void ToolbarButtonAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(toolbarButtonInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

QToolButton *ToolbarButtonAccessible::button() const
{
    return static_cast<QToolButton *>(widget());
}

QString ToolbarButtonAccessible::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Name && button()->accessibleName().isEmpty())
        return button()->toolTip();
    return QAccessibleWidget::text(kind);
}

QAccessible::State ToolbarButtonAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.pressed = button()->isDown() || button()->isChecked();
    return state;
}

QStringList ToolbarButtonAccessible::actionNames() const
{
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
}

void ToolbarButtonAccessible::doAction(const QString &actionName)
{
    if (actionName == pressAction())
        button()->click();
    else
        QAccessibleWidget::doAction(actionName);
}
