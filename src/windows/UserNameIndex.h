#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class QListWidget;
class QListWidgetItem;

// Where each name stands in a list widget, so that finding a name costs about the same in a list
// of ten names and in one of ten thousand: a look-up by name, then the rows of that name's entries
// (the list widget remembers an entry's row; only after rows before it have gone does it search
// its array of entries once). It follows the list's model, whoever changes the list: rows added
// anywhere or removed, the list cleared, names changed in place or reordered.
class UserNameIndex : public QObject
{
public:
    explicit UserNameIndex(QListWidget &list);

    // The position of the first entry equal to name at or after from; -1 if there is none.
    int find(const QString &name, int from) const;

private:
    void addRows(int first, int last);
    void removeRows(int first, int last);
    void rebuild();
    // The first of entries (in list order) standing at or after position; entries.size() if none.
    qsizetype firstAtOrAfter(const QList<QListWidgetItem *> &entries, int position) const;

    QListWidget &m_list;
    // Every name's entries, in list order.
    QHash<QString, QList<QListWidgetItem *>> m_entries;
};
