#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

// The link dialog "Add Url": adds "[URL]address[/URL]address[URL/]" to the end of the main
// window's input line, so the address is the link's label as well, then unloads.
class frmUrl : public QWidget
{
    Q_OBJECT
public:
    frmUrl();

    QLineEdit *txtUrl;
    QPushButton *Command1; // "Add Link"

    void Command1_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
};
