#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

struct ChatFeatures;
class OptionChoices;
class OptionsModel;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTreeWidget;

// The options window "Options". While it is loaded, hidden or shown, it holds the option choices
// that the rest of the program reads through OptionChoices::current(); closing it discards every
// change that was not applied. Live through Form<frmOptions>; opened modeless with show().
class frmOptions : public QWidget
{
    Q_OBJECT
public:
    frmOptions();
    ~frmOptions() override;

    void Form_Load();

    // Opens the window modeless, as the toolbar button and the menu entry do: loads it when needed,
    // otherwise shows the loaded one, with its unapplied state, in front.
    static frmOptions *open();

    // The choices as the window shows them now, applied or not.
    const OptionChoices &choices() const;

    // What the rest of the program reads: the loaded window's choices; while it is not loaded,
    // choices read from Options.ini at the first reading, which the window takes over, unapplied
    // edits to come included, when it loads. Building the window only to read them would keep its
    // widgets in memory all the time the program runs.
    static const OptionChoices &currentChoices();
    // Forgets the choices read ahead of the window, so the next reading takes Options.ini afresh.
    static void forgetChoicesReadAhead();

    // Where txtIp takes this machine's address from, at load and whenever the window is shown. The
    // main window registers a source that answers without creating that window; with no source
    // txtIp stays empty.
    static void setLocalAddressSource(std::function<QString()> source);

    // Controls, named as the rest of the program knows them.
    QTreeWidget *Tree;
    QFrame *Shape1;
    QStackedWidget *SSTab1;

    QGroupBox *userOptions;
    QLineEdit *txtNickname;
    QLineEdit *txtIp;
    QLineEdit *txtServer;
    QCheckBox *ChkAU;

    QGroupBox *audioOptions;
    QTreeWidget *soundlist;
    QLineEdit *txtBrowse;
    QPushButton *Command1; // "browse"
    QPushButton *Command2; // "play"
    QCheckBox *chkSound;

    QGroupBox *messageOptions;
    QGroupBox *joinLeaveGroup;
    QCheckBox *ChkMain;
    QRadioButton *UMWindows;
    QRadioButton *UMBalloon;
    QGroupBox *motdGroup;
    QRadioButton *modMain;
    QRadioButton *modWindows;
    QRadioButton *modBalloon;
    QCheckBox *chkLine;

    QGroupBox *styles;
    QComboBox *styleIzbor;

    QGroupBox *chatOptions;
    QCheckBox *chkLog;
    QCheckBox *chkReconnect;
    QCheckBox *chkNotify;

    QLabel *Image1;
    QPushButton *cmdCancel;
    QPushButton *cmdOK;
    QPushButton *cmdApply;

    // Handlers, also called by tests as the user's actions.
    void Tree_Click();
    void soundlist_Click();
    void Command1_Click();
    void Command2_Click();
    void chkSound_Click();
    void chkLine_Click();
    void cmdApply_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    static void readChoicesAhead();
    void showLocalAddress();
    void createGeneralPage();
    void createSoundPage();
    void createMessagePage();
    void createStylePage();
    void createChatPage();
    void createStrip();
    void arrangeTabOrder();
    void widenToCaptions();
    void showChoices();
    void buildTree();
    void followEdits();
    void followChatFeature(QCheckBox *box, bool ChatFeatures::*feature);
    int selectedSoundRow() const;

    std::shared_ptr<OptionsModel> m_model;
    bool m_modelFilled; // taken over filled from the readers
    QString m_browseDirectory; // where the file dialog opens; set once it has been used
};
