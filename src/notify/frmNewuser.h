#pragma once

#include "NoticeWindow.h"

#include <QLabel>

// "- New User  !": announces a user who joined in lblNewuser and closes itself 3 seconds after it
// was loaded, or at once when its picture is clicked. Reached through Form<frmNewuser>; the caller
// shows it, then sets the text of lblNewuser.
class frmNewuser : public NoticeWindow
{
    Q_OBJECT
public:
    static constexpr int ClosingMs = 3000;
    static constexpr const char *Caption = "- New User  !";

    frmNewuser();
    void Form_Load();

    QLabel *Image1;
    QLabel *lblNewuser;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void unload() override;

private:
    void Image1_Click();
};
