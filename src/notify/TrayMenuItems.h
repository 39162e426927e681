#pragma once

#include <QList>
#include <QString>

// The tray menu's items as an array indexed from 0. Item 0 exists from the start and stays out of
// the menu until the first item is added into it; later items are appended. Each item keeps a key
// that is handed back when the item is chosen. A caption of exactly "-" makes a separator line.
class TrayMenuItems
{
public:
    struct Item
    {
        QString caption;
        QString key;
        bool enabled = true;

        bool isSeparator() const { return caption == QLatin1String("-"); }
    };

    TrayMenuItems();

    // Returns the index the item got: 0 for the first item, then the highest index plus 1.
    int add(const QString &caption, const QString &key, bool makeDefault);

    // Invalid indices are ignored.
    void setEnabled(int index, bool enabled);

    // Item 0 only loses its caption (it stays in the menu with its key); any other item goes and
    // the items after it move down one index, each with its caption, key and enabled state.
    // The default index is not adjusted. Invalid indices are ignored.
    void remove(int index);

    // The stored default index; it may name no item after a removal.
    int defaultIndex() const { return m_defaultIndex; }
    // An invalid index sets the default to 0.
    void setDefaultIndex(int index);

    bool isValidIndex(int index) const;
    bool firstItemUsed() const { return m_firstItemUsed; }
    int count() const { return int(m_items.size()); }
    const Item &at(int index) const { return m_items.at(index); }
    // Whether the item appears in the menu.
    bool isShown(int index) const;

private:
    QList<Item> m_items;
    int m_defaultIndex = 0;
    bool m_firstItemUsed = false;
};
