#include "UserNameIndex.h"

#include <QAbstractItemModel>
#include <QListWidget>

#include <algorithm>

UserNameIndex::UserNameIndex(QListWidget &list)
    : QObject(&list)
    , m_list(list)
{
    const QAbstractItemModel *model = list.model();
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { addRows(first, last); });
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { removeRows(first, last); });
    connect(model, &QAbstractItemModel::modelReset, this, &UserNameIndex::rebuild);
    connect(model, &QAbstractItemModel::dataChanged, this, &UserNameIndex::rebuild);
    connect(model, &QAbstractItemModel::layoutChanged, this, &UserNameIndex::rebuild);
    rebuild();
}

int UserNameIndex::find(const QString &name, int from) const
{
    const auto entries = m_entries.constFind(name);
    if (entries == m_entries.cend())
        return -1;
    const qsizetype at = firstAtOrAfter(*entries, from);
    return at < entries->size() ? m_list.row(entries->at(at)) : -1;
}

// A row is usually added at the end, behind every entry of its name; rows put in between find
// their place among their name's entries.
void UserNameIndex::addRows(int first, int last)
{
    for (int row = first; row <= last; ++row) {
        QListWidgetItem *item = m_list.item(row);
        QList<QListWidgetItem *> &entries = m_entries[item->text()];
        entries.insert(firstAtOrAfter(entries, row), item);
    }
}

void UserNameIndex::removeRows(int first, int last)
{
    for (int row = first; row <= last; ++row) {
        QListWidgetItem *item = m_list.item(row);
        const auto entries = m_entries.find(item->text());
        if (entries == m_entries.end())
            continue;
        entries->removeOne(item);
        if (entries->isEmpty())
            m_entries.erase(entries);
    }
}

void UserNameIndex::rebuild()
{
    m_entries.clear();
    for (int row = 0; row < m_list.count(); ++row) {
        QListWidgetItem *item = m_list.item(row);
        m_entries[item->text()].append(item);
    }
}

qsizetype UserNameIndex::firstAtOrAfter(const QList<QListWidgetItem *> &entries, int position) const
{
    if (entries.isEmpty() || m_list.row(entries.constLast()) < position)
        return entries.size();
    const auto at = std::partition_point(entries.cbegin(), entries.cend(),
                                         [this, position](QListWidgetItem *entry) { return m_list.row(entry) < position; });
    return at - entries.cbegin();
}
