#include "frmOptions.h"

#include "OptionsModel.h"
#include "SoundPlayer.h"
#include "app/AppDir.h"
#include "app/DecorativePicture.h"
#include "app/Dialogs.h"
#include "app/EscapeKey.h"
#include "app/Form.h"
#include "app/PendingEvents.h"
#include "app/Pictures.h"
#include "app/modMain.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTreeWidget>

#include <utility>

namespace {

std::function<QString()> &localAddressSource()
{
    static std::function<QString()> source;
    return source;
}

// Choices that were read while the window was not loaded; the window takes them over.
std::shared_ptr<OptionsModel> &choicesReadAhead()
{
    static std::shared_ptr<OptionsModel> model;
    return model;
}

const QString stripPicture = QStringLiteral(":/pictures/options_strip.png");

// Every page is one group of this size; the page stack sits where the groups belong.
const QRect pageArea(176, 0, 313, 201);

template <class Control>
Control *place(Control *control, const QString &name, const QRect &geometry)
{
    control->setObjectName(name);
    control->setGeometry(geometry);
    return control;
}

// A label beside the box it names, its text centred on the box's height.
QLabel *addLabel(QWidget *parent, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QGroupBox *addPage(QStackedWidget *stack, const QString &name, const QString &caption)
{
    auto *page = new QWidget(stack);
    stack->addWidget(page);
    return place(new QGroupBox(caption, page), name, QRect(QPoint(0, 0), pageArea.size()));
}

// The rows of a group are 16 pixels apart, the first 16 pixels below the group's top.
QRect groupRow(int index)
{
    return QRect(8, 16 + 16 * index, 281, 17);
}

// The tree's pages, in the order of the page stack.
const QStringList &pageNames()
{
    static const QStringList pages{QStringLiteral("General Options"), QStringLiteral("Sound"),
                                   QStringLiteral("Message"), QStringLiteral("Interface"), QStringLiteral("Chat")};
    return pages;
}

// Paths rarely fit their column; the tooltip shows the whole one.
void showSoundFile(QTreeWidgetItem *row, const QString &path)
{
    row->setText(1, path);
    row->setToolTip(1, path);
}

} // namespace

frmOptions::frmOptions()
    : m_model(std::exchange(choicesReadAhead(), nullptr))
    , m_modelFilled(m_model != nullptr)
{
    if (!m_model)
        m_model = std::make_shared<OptionsModel>();
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(493, 249);
    // The pixel geometry was made for a small 8-point face; Arial's metrics (Liberation Sans here)
    // keep every caption inside its control. Group captions sit on the frame's top line, so the rows
    // placed 16 pixels below a group's top clear the caption. The face is given in the style sheet
    // too, as a style sheet would otherwise hand the children of a group the application's face.
    setStyleSheet(QStringLiteral(
        "QWidget { font: 8pt \"Arial\"; }"
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0px 2px; }"));

    Shape1 = place(new QFrame(this), QStringLiteral("Shape1"), QRect(4, 4, 153, 201));
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setFrameShadow(QFrame::Sunken);
    Tree = place(new QTreeWidget(this), QStringLiteral("Tree"), QRect(8, 8, 145, 193));
    Tree->setAccessibleName(QStringLiteral("Options"));
    Tree->setHeaderHidden(true);
    Tree->setColumnCount(1);
    Tree->setIndentation(14);

    SSTab1 = place(new QStackedWidget(this), QStringLiteral("SSTab1"), pageArea);
    createGeneralPage();
    createSoundPage();
    createMessagePage();
    createStylePage();
    createChatPage();
    createStrip();
    arrangeTabOrder();
    widenToCaptions();

    connect(Tree, &QTreeWidget::itemClicked, this, &frmOptions::Tree_Click);
    connect(soundlist, &QTreeWidget::itemClicked, this, &frmOptions::soundlist_Click);
    connect(Command1, &QPushButton::clicked, this, &frmOptions::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmOptions::Command2_Click);
    // Checking a box from code counts as a click, as the load relies on.
    connect(chkSound, &QCheckBox::toggled, this, &frmOptions::chkSound_Click);
    connect(chkLine, &QCheckBox::toggled, this, &frmOptions::chkLine_Click);
    connect(cmdApply, &QPushButton::clicked, this, &frmOptions::cmdApply_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOptions::cmdCancel_Click);
    onEscape(this, &frmOptions::cmdCancel_Click);
}

frmOptions::~frmOptions() = default;

void frmOptions::createGeneralPage()
{
    userOptions = addPage(SSTab1, QStringLiteral("userOptions"), QStringLiteral("User Options"));
    txtNickname = place(new QLineEdit(userOptions), QStringLiteral("txtNickname"), QRect(96, 16, 113, 19));
    addLabel(userOptions, QStringLiteral("Nickname:"), QRect(8, 16, 86, 19))->setBuddy(txtNickname);
    txtIp = place(new QLineEdit(userOptions), QStringLiteral("txtIp"), QRect(96, 40, 113, 19));
    addLabel(userOptions, QStringLiteral("Ip Adress:"), QRect(8, 40, 86, 19))->setBuddy(txtIp);
    txtServer = place(new QLineEdit(userOptions), QStringLiteral("txtServer"), QRect(96, 64, 113, 19));
    addLabel(userOptions, QStringLiteral("Server adress:"), QRect(8, 64, 86, 19))->setBuddy(txtServer);
    ChkAU = place(new QCheckBox(QStringLiteral("Automatic LogIn to chat"), userOptions), QStringLiteral("ChkAU"),
                  QRect(8, 88, 201, 17));
}

void frmOptions::createSoundPage()
{
    audioOptions = addPage(SSTab1, QStringLiteral("audioOptions"), QStringLiteral("Audio Options"));
    soundlist = place(new QTreeWidget(audioOptions), QStringLiteral("soundlist"), QRect(8, 16, 297, 129));
    soundlist->setHeaderLabels({QStringLiteral("Sound Name"), QStringLiteral("Sound Directory")});
    soundlist->setRootIsDecorated(false);
    soundlist->setSelectionMode(QAbstractItemView::SingleSelection);
    soundlist->setColumnWidth(0, 100);
    soundlist->setAccessibleName(QStringLiteral("Sounds"));
    txtBrowse = place(new QLineEdit(audioOptions), QStringLiteral("txtBrowse"), QRect(8, 152, 153, 19));
    txtBrowse->setAccessibleName(QStringLiteral("Sound file"));
    Command1 = place(new QPushButton(QStringLiteral("browse"), audioOptions), QStringLiteral("Command1"),
                     QRect(168, 152, 73, 17));
    Command2 = place(new QPushButton(QStringLiteral("play"), audioOptions), QStringLiteral("Command2"),
                     QRect(256, 152, 49, 17));
    chkSound = place(new QCheckBox(QStringLiteral("Audio Off/On"), audioOptions), QStringLiteral("chkSound"),
                     QRect(8, 176, 129, 17));
}

void frmOptions::createMessagePage()
{
    messageOptions = addPage(SSTab1, QStringLiteral("messageOptions"), QStringLiteral("Message"));

    joinLeaveGroup = place(new QGroupBox(QStringLiteral("User Join/Left"), messageOptions),
                           QStringLiteral("joinLeaveGroup"), QRect(8, 16, 297, 73));
    ChkMain = place(new QCheckBox(QStringLiteral("Display message in Main chat on user join/left."), joinLeaveGroup),
                    QStringLiteral("ChkMain"), groupRow(0));
    UMWindows = place(new QRadioButton(QStringLiteral("Display message in Windows on user join/left."), joinLeaveGroup),
                      QStringLiteral("UMWindows"), groupRow(1));
    UMBalloon = place(new QRadioButton(QStringLiteral("Display message in Ballonn on user join/left."), joinLeaveGroup),
                      QStringLiteral("UMBalloon"), groupRow(2));

    motdGroup = place(new QGroupBox(QStringLiteral("Message of day"), messageOptions), QStringLiteral("motdGroup"),
                      QRect(8, 88, 297, 73));
    modMain = place(new QRadioButton(QStringLiteral("Display message of day in main chat."), motdGroup),
                    QStringLiteral("modMain"), groupRow(0));
    modWindows = place(new QRadioButton(QStringLiteral("Display message of day in new Window."), motdGroup),
                       QStringLiteral("modWindows"), groupRow(1));
    modBalloon = place(new QRadioButton(QStringLiteral("Display message of day in balloon windows."), motdGroup),
                       QStringLiteral("modBalloon"), groupRow(2));

    chkLine = place(new QCheckBox(QStringLiteral("Display Correcting"), messageOptions), QStringLiteral("chkLine"),
                    QRect(8, 168, 105, 17));
}

void frmOptions::createStylePage()
{
    styles = addPage(SSTab1, QStringLiteral("styles"), QStringLiteral("Styles"));
    styleIzbor = place(new QComboBox(styles), QStringLiteral("styleIzbor"), QRect(40, 16, 161, 21));
    // The label's text starts at its top, a little below the box's, as the page is drawn.
    QLabel *skinLabel = addLabel(styles, QStringLiteral("Skin:"), QRect(8, 24, 30, 17));
    skinLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    skinLabel->setBuddy(styleIzbor);
    styleIzbor->setEditable(true);
    // The typing goes into the box's own line, which a screen reader names by itself.
    styleIzbor->lineEdit()->setAccessibleName(skinLabel->text());
    // The box holds exactly what the user types: no completion from the list, no growing list.
    styleIzbor->setCompleter(nullptr);
    styleIzbor->setInsertPolicy(QComboBox::NoInsert);
}

void frmOptions::createChatPage()
{
    chatOptions = addPage(SSTab1, QStringLiteral("chatOptions"), QStringLiteral("Chat Options"));
    chkLog = place(new QCheckBox(QStringLiteral("Log the conversation to a file."), chatOptions),
                   QStringLiteral("chkLog"), groupRow(0));
    chkReconnect = place(new QCheckBox(QStringLiteral("Reconnect when the connection is lost."), chatOptions),
                         QStringLiteral("chkReconnect"), groupRow(1));
    chkNotify = place(new QCheckBox(QStringLiteral("Notify me of private messages and of my name."), chatOptions),
                      QStringLiteral("chkNotify"), groupRow(2));
}

// The strip along the bottom, with the buttons on it showing the same picture. Without the
// picture the strip stays plain and the buttons look like any other.
void frmOptions::createStrip()
{
    Image1 = place(new QLabel(this), QStringLiteral("Image1"), QRect(0, 216, 494, 34));
    cmdCancel = place(new QPushButton(QStringLiteral("Cancel"), this), QStringLiteral("cmdCancel"),
                      QRect(264, 224, 65, 17));
    cmdOK = place(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("cmdOK"), QRect(336, 224, 65, 17));
    cmdApply = place(new QPushButton(QStringLiteral("Apply"), this), QStringLiteral("cmdApply"),
                     QRect(400, 224, 73, 17));

    const QPixmap strip = Pictures::forOneUse(stripPicture);
    if (strip.isNull())
        return;
    Image1->setPixmap(strip);
    Image1->setScaledContents(true);
    DecorativePicture::mark(Image1);
    const QString buttonStyle = QStringLiteral(
        "QPushButton { background-image: url(%1); background-position: center; border: 1px solid palette(dark);"
        " border-radius: 2px; padding: 0px; }"
        "QPushButton:hover { border-color: palette(highlight); }"
        "QPushButton:pressed { border-style: inset; }"
        "QPushButton:focus { border-color: palette(highlight); }")
                                    .arg(stripPicture);
    for (QPushButton *button : {cmdCancel, cmdOK, cmdApply})
        button->setStyleSheet(buttonStyle);
}

// A caption never ends cut off, whatever face the machine gives for Arial.
void frmOptions::widenToCaptions()
{
    for (QAbstractButton *box : findChildren<QAbstractButton *>()) {
        if (qobject_cast<QPushButton *>(box))
            continue;
        if (box->sizeHint().width() > box->width())
            box->resize(box->sizeHint().width(), box->height());
    }
}

void frmOptions::arrangeTabOrder()
{
    const QList<QWidget *> order{Tree,       txtNickname, txtIp,     txtServer,  ChkAU,      soundlist,
                                 txtBrowse,  Command1,    Command2,  chkSound,   ChkMain,    UMWindows,
                                 UMBalloon,  modMain,     modWindows, modBalloon, chkLine,    styleIzbor,
                                 chkLog,     chkReconnect, chkNotify,
                                 cmdApply,   cmdOK,       cmdCancel};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}

void frmOptions::Form_Load()
{
    if (!m_modelFilled)
        m_model->fill();
    showChoices();
    buildTree();
    followEdits();
    if (::modMain::DisplayCorrectionOn)
        chkLine->setChecked(true);
    if (::modMain::SoundsOn)
        chkSound->setChecked(true);
}

frmOptions *frmOptions::open()
{
    frmOptions *window = Form<frmOptions>::get();
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

const OptionChoices &frmOptions::choices() const
{
    return *m_model;
}

const OptionChoices &frmOptions::currentChoices()
{
    // The fill lets events run: the window may load (and take the choices over) meanwhile.
    for (;;) {
        if (const frmOptions *window = Form<frmOptions>::loaded())
            return window->choices();
        if (const std::shared_ptr<OptionsModel> &ahead = choicesReadAhead())
            return *ahead;
        readChoicesAhead();
    }
}

// Kept before it is filled, so that a reader during the fill's yield meets this model half-filled,
// as it would meet the window's while the window loads.
void frmOptions::readChoicesAhead()
{
    const auto model = std::make_shared<OptionsModel>();
    choicesReadAhead() = model;
    model->fill();
}

void frmOptions::forgetChoicesReadAhead()
{
    choicesReadAhead().reset();
}

void frmOptions::setLocalAddressSource(std::function<QString()> source)
{
    localAddressSource() = std::move(source);
}

void frmOptions::showChoices()
{
    styleIzbor->addItems(OptionsModel::skinNames());
    styleIzbor->setCurrentIndex(styleIzbor->findText(m_model->skinName(), Qt::MatchExactly | Qt::MatchCaseSensitive));
    styleIzbor->setEditText(m_model->skinName());

    for (int row = 1; row <= OptionsModel::SoundRowCount; ++row)
        showSoundFile(new QTreeWidgetItem(soundlist, {OptionsModel::soundRowText(row)}), m_model->soundFile(row));
    soundlist->setCurrentItem(soundlist->topLevelItem(0));

    UMWindows->setChecked(m_model->joinLeaveNotice() == OptionsModel::JoinLeaveNotice::Windows);
    UMBalloon->setChecked(m_model->joinLeaveNotice() == OptionsModel::JoinLeaveNotice::Balloon);
    modMain->setChecked(m_model->motdDisplay() == OptionsModel::MotdDisplay::Main);
    modWindows->setChecked(m_model->motdDisplay() == OptionsModel::MotdDisplay::Windows);
    modBalloon->setChecked(m_model->motdDisplay() == OptionsModel::MotdDisplay::Balloon);
    ChkMain->setChecked(m_model->joinRowInMain());

    txtNickname->setText(m_model->nickname());
    showLocalAddress();
    txtServer->setText(m_model->server());
    ChkAU->setChecked(m_model->autoConnect());

    const ChatFeatures features = m_model->chatFeatures();
    chkLog->setChecked(features.logging);
    chkReconnect->setChecked(features.reconnect);
    chkNotify->setChecked(features.notifications);
}

void frmOptions::showLocalAddress()
{
    const auto &source = localAddressSource();
    txtIp->setText(source ? source() : QString());
}

// The window stays loaded while it is hidden, and the connection may come or go meanwhile: the
// address is taken again each time it is shown, so it is never a stale one.
void frmOptions::showEvent(QShowEvent *event)
{
    showLocalAddress();
    QWidget::showEvent(event);
}

void frmOptions::buildTree()
{
    auto *root = new QTreeWidgetItem(Tree, {QStringLiteral("Options")});
    root->setData(0, Qt::UserRole, QStringLiteral("Root"));
    const QStringList &pages = pageNames();
    for (qsizetype page = 0; page < pages.size(); ++page) {
        auto *child = new QTreeWidgetItem(root, {pages.at(page)});
        child->setData(0, Qt::UserRole, QStringLiteral("child%1").arg(page));
    }
    root->setExpanded(true);
    Tree->setCurrentItem(root->child(0));
    SSTab1->setCurrentIndex(0);
}

// From here on every edit reaches the choices at once, before and without Apply.
void frmOptions::followEdits()
{
    connect(styleIzbor, &QComboBox::currentTextChanged, this, [this](const QString &text) {
        m_model->setSkinName(text);
    });
    connect(ChkMain, &QCheckBox::toggled, this, [this](bool ticked) { m_model->setJoinRowInMain(ticked); });
    const auto followJoinLeave = [this] {
        using Notice = OptionsModel::JoinLeaveNotice;
        m_model->setJoinLeaveNotice(UMWindows->isChecked()   ? Notice::Windows
                                    : UMBalloon->isChecked() ? Notice::Balloon
                                                             : Notice::None);
    };
    for (QRadioButton *button : {UMWindows, UMBalloon})
        connect(button, &QRadioButton::toggled, this, followJoinLeave);
    const auto followMotd = [this] {
        using Display = OptionsModel::MotdDisplay;
        m_model->setMotdDisplay(modMain->isChecked()      ? Display::Main
                                : modWindows->isChecked() ? Display::Windows
                                : modBalloon->isChecked() ? Display::Balloon
                                                          : Display::None);
    };
    for (QRadioButton *button : {modMain, modWindows, modBalloon})
        connect(button, &QRadioButton::toggled, this, followMotd);
    connect(txtNickname, &QLineEdit::textChanged, this, [this](const QString &text) { m_model->setNickname(text); });
    connect(txtServer, &QLineEdit::textChanged, this, [this](const QString &text) { m_model->setServer(text); });
    connect(ChkAU, &QCheckBox::toggled, this, [this](bool ticked) { m_model->setAutoConnect(ticked); });
    followChatFeature(chkLog, &ChatFeatures::logging);
    followChatFeature(chkReconnect, &ChatFeatures::reconnect);
    followChatFeature(chkNotify, &ChatFeatures::notifications);
    // Moving through the tree or the list with the keyboard acts like clicking the node or row.
    connect(Tree, &QTreeWidget::itemSelectionChanged, this, &frmOptions::Tree_Click);
    connect(soundlist, &QTreeWidget::itemSelectionChanged, this, &frmOptions::soundlist_Click);
}

void frmOptions::followChatFeature(QCheckBox *box, bool ChatFeatures::*feature)
{
    connect(box, &QCheckBox::toggled, this, [this, feature](bool ticked) {
        ChatFeatures features = m_model->chatFeatures();
        features.*feature = ticked;
        m_model->setChatFeatures(features);
    });
}

void frmOptions::Tree_Click()
{
    const QList<QTreeWidgetItem *> selected = Tree->selectedItems();
    if (selected.isEmpty())
        return;
    const qsizetype page = pageNames().indexOf(selected.first()->text(0));
    if (page >= 0)
        SSTab1->setCurrentIndex(int(page));
}

int frmOptions::selectedSoundRow() const
{
    QTreeWidgetItem *item = soundlist->currentItem();
    return item ? soundlist->indexOfTopLevelItem(item) + 1 : 0;
}

void frmOptions::soundlist_Click()
{
    const int row = selectedSoundRow();
    if (row > 0)
        txtBrowse->setText(m_model->soundFile(row));
}

void frmOptions::Command1_Click()
{
    const QString chosen =
        Dialogs::current().openFileName(this, QString(), m_browseDirectory, QStringLiteral("Audio (*.wav)"));
    m_browseDirectory = applicationDirectory() + QStringLiteral("/sound");
    if (chosen.isEmpty())
        return; // a cancelled dialog leaves the row as it was
    const int row = selectedSoundRow();
    if (row > 0) {
        m_model->setSoundFile(row, chosen);
        showSoundFile(soundlist->topLevelItem(row - 1), chosen);
    }
    txtBrowse->setText(chosen);
}

// The player is asked whatever the sound switch says: the user wants to hear the file.
void frmOptions::Command2_Click()
{
    SoundPlayer::current().play(txtBrowse->text());
}

void frmOptions::chkSound_Click()
{
    const bool on = chkSound->isChecked();
    chkSound->setText(on ? QStringLiteral("Enabled") : QStringLiteral("Disabled"));
    m_model->setSoundsChoice(on);
}

void frmOptions::chkLine_Click()
{
    m_model->setDisplayCorrectionChoice(chkLine->isChecked());
}

void frmOptions::cmdApply_Click()
{
    // Apply lets events run; should the window be unloaded meanwhile, the model still finishes.
    const std::shared_ptr<OptionsModel> model = m_model;
    model->apply(QPointer<QWidget>(this));
}

void frmOptions::cmdOK_Click()
{
    const QPointer<frmOptions> self(this);
    cmdApply_Click();
    LetPendingEventsRun();
    if (self && Form<frmOptions>::loaded() == self)
        Form<frmOptions>::unload();
}

void frmOptions::cmdCancel_Click()
{
    Form<frmOptions>::unload();
}

void frmOptions::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form<frmOptions>::unload();
}
