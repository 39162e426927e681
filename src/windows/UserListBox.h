#pragma once

#include <QListWidget>

// The main window's user list: one name per row, in the order added. Each entry keeps the whole name
// (the dispatcher compares it, private messages go to it); the list shows at most shownCharacters of
// it, elided, because painting measures what it shows and a name may be a megabyte long. Ctrl+C
// copies the selected name whole, its control characters as U+FFFD.
class UserListBox : public QListWidget
{
    Q_OBJECT
public:
    static constexpr int shownCharacters = 256;

    explicit UserListBox(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
