#include "TrayMenuItems.h"

TrayMenuItems::TrayMenuItems()
    : m_items(1)
{
}

int TrayMenuItems::add(const QString &caption, const QString &key, bool makeDefault)
{
    int index = 0;
    if (m_firstItemUsed) {
        index = count();
        m_items.append(Item());
    }
    m_firstItemUsed = true;
    m_items[index].caption = caption;
    m_items[index].key = key;
    if (makeDefault)
        m_defaultIndex = index;
    return index;
}

void TrayMenuItems::setEnabled(int index, bool enabled)
{
    if (isValidIndex(index))
        m_items[index].enabled = enabled;
}

void TrayMenuItems::remove(int index)
{
    if (!isValidIndex(index))
        return;
    if (index == 0)
        m_items[0].caption.clear();
    else
        m_items.removeAt(index);
}

void TrayMenuItems::setDefaultIndex(int index)
{
    m_defaultIndex = isValidIndex(index) ? index : 0;
}

bool TrayMenuItems::isValidIndex(int index) const
{
    return index >= 0 && index < count();
}

bool TrayMenuItems::isShown(int index) const
{
    return index > 0 || m_firstItemUsed;
}
