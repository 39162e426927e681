#pragma once

#include "NoticeWindow.h"

#include "app/ReceivedTextEdit.h"

#include <QLabel>

#include <array>

// "- Message of Day": shows the server's message of the day in txtmessage and closes itself
// 6 seconds after it was loaded. Reached through Form<frmMessage>; the caller shows it, then sets
// the text of txtmessage.
class frmMessage : public NoticeWindow
{
    Q_OBJECT
public:
    static constexpr int ClosingMs = 6000;
    static constexpr const char *Caption = "- Message of Day";

    frmMessage();
    void Form_Load();

    QLabel *Image1;
    std::array<QLabel *, 2> Label1;
    QLabel *Label2;
    ReceivedTextEdit *txtmessage;

protected:
    void unload() override;
};
