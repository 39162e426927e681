#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;

// The about window "About": who made the program, its version and the makers' web site.
class frmAbout : public QWidget
{
    Q_OBJECT
public:
    frmAbout();

    // The program's version as the about window shows it: major.minor.revision.
    static QString versionText();

    QLabel *Image1; // the logo
    QFrame *Frame1;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4; // the notice line
    QLabel *lblAuthor;
    QLabel *lblVersion;
    QLabel *lblWebsite;
    QPushButton *cmdoK;

    void Form_Load();
    void cmdoK_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
};
