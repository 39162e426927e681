#pragma once

#include <QListWidget>

class UserNameIndex;

// The main window's user list: one name per row, in the order added. Each entry keeps the whole name
// (the dispatcher compares it, private messages go to it); the list shows at most shownCharacters of
// it, elided, because painting measures what it shows and a name may be a megabyte long.
class UserListBox : public QListWidget
{
    Q_OBJECT
public:
    static constexpr int shownCharacters = 256;

    explicit UserListBox(QWidget *parent = nullptr);

    // The position of the first entry equal to name at or after from, or -1; found through an
    // index of the names, not by walking the list.
    int findName(const QString &name, int from) const;

private:
    UserNameIndex *m_names;
};
