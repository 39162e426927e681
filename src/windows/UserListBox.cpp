#include "UserListBox.h"

#include "UserNameIndex.h"

#include <QStyledItemDelegate>

namespace {

// Cuts the name before the style measures it; the style then elides what is left to the width.
class ShortenedNameDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant &value, const QLocale &locale) const override
    {
        const QString name = value.toString();
        if (name.size() <= UserListBox::shownCharacters)
            return QStyledItemDelegate::displayText(value, locale);
        return name.left(UserListBox::shownCharacters - 1) + QChar(0x2026);
    }
};

} // namespace

UserListBox::UserListBox(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    // One name per row, all rows alike: a full room's thousands of names then cost no layout each.
    setUniformItemSizes(true);
    setItemDelegate(new ShortenedNameDelegate(this));
    m_names = new UserNameIndex(*this);
}

int UserListBox::findName(const QString &name, int from) const
{
    return m_names->find(name, from);
}
