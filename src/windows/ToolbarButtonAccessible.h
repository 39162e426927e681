#pragma once

#include <QAccessibleWidget>

class QToolButton;

// A button of the compose tool bar as assistive technology sees it. The buttons stay down while
// their action runs, which makes them checkable for Qt, and Qt would present them as check boxes:
// they are push buttons, pressed while down, named by their tips, and pressing one clicks it.
class ToolbarButtonAccessible : public QAccessibleWidget
{
public:
    explicit ToolbarButtonAccessible(QToolButton *button);

    // Once, before the first button is asked for.
    static void install();

    QString text(QAccessible::Text kind) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    QToolButton *button() const;
};
