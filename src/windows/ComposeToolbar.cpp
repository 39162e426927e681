#include "ComposeToolbar.h"

#include "ToolbarButtonAccessible.h"

#include "app/Pictures.h"

#include <QAction>

namespace {
struct ButtonLook
{
    const char *icon; // nullptr for a spacer
    const char *toolTip;
    // Pressed in the chat window, it does what a click on the button does.
    QKeyCombination shortcut = {};
};

constexpr ButtonLook looks[ComposeToolbar::ButtonCount] = {
    {"tool_options", "Korvani Options"},
    {nullptr, nullptr},
    {"tool_bold", "Add Bold tags", Qt::CTRL | Qt::Key_B},
    {"tool_underline", "Add Underline tags", Qt::CTRL | Qt::Key_U},
    {"tool_italic", "Add Italic tags", Qt::CTRL | Qt::Key_I},
    {"tool_smile", "Add smiles!", Qt::CTRL | Qt::Key_E},
    {"tool_hr", "Add Horizontal Rule", Qt::CTRL | Qt::Key_H},
    {"tool_link", "Add Link", Qt::CTRL | Qt::Key_K},
    {"tool_print", "Print"},
    {nullptr, nullptr},
    {"tool_about", "About!"},
    {"tool_exit", "Exit Korvani!!"},
};
} // namespace

ComposeToolbar::ComposeToolbar(QWidget *parent)
    : QToolBar(parent)
{
    ToolbarButtonAccessible::install();
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(24, 24));
    setToolButtonStyle(Qt::ToolButtonIconOnly);

    for (const ButtonLook &look : looks) {
        if (!look.icon) {
            m_buttons.append(addSeparator());
            continue;
        }
        const QString toolTip = QString::fromLatin1(look.toolTip);
        const QString picture = QStringLiteral(":/pictures/%1.png").arg(QLatin1String(look.icon));
        QAction *button = addAction(Pictures::icon({picture}), toolTip);
        button->setToolTip(toolTip);
        button->setCheckable(true);
        button->setShortcut(look.shortcut);
        connect(button, &QAction::triggered, this, [this, button] { emit ButtonClick(button); });
        m_buttons.append(button);
    }
}

QAction *ComposeToolbar::button(int index) const
{
    return m_buttons.value(index - 1);
}
