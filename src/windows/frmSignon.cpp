#include "frmSignon.h"

#include "ScaledPicture.h"

#include "app/DecorativePicture.h"
#include "app/Form.h"
#include "app/PendingEvents.h"
#include "app/Pictures.h"
#include "app/SignOnSettings.h"
#include "app/Twips.h"
#include "app/modMain.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int autoConnectIntervalMs = 2000;

const QColor background(0, 0, 192);
const QColor captionText(255, 255, 0);

// Names a control and places it at left, top, width, height in twips of its parent.
template <class Control>
Control *place(Control *control, const char *name, int left, int top, int width, int height)
{
    control->setObjectName(QLatin1String(name));
    control->setGeometry(Twips::toPixels(QRect(left, top, width, height)));
    return control;
}

// Fonts here run a little wider than the ones the window was drawn for; a check box grows to the
// right (over blue that looks the same) rather than cut its caption.
void widenToCaption(QCheckBox *checkBox)
{
    checkBox->resize(qMax(checkBox->width(), checkBox->sizeHint().width()), checkBox->height());
}

QString versionText()
{
    return QStringLiteral("Version: %1.%2.%3")
        .arg(KORVANI_VERSION_MAJOR)
        .arg(KORVANI_VERSION_MINOR)
        .arg(KORVANI_VERSION_PATCH);
}

} // namespace

frmSignon::HandOver &frmSignon::handOver()
{
    static HandOver installed;
    return installed;
}

void frmSignon::setHandOver(HandOver handOver)
{
    frmSignon::handOver() = std::move(handOver);
}

frmSignon::frmSignon()
{
    setObjectName(QStringLiteral("frmSignon"));
    setWindowTitle(QStringLiteral("Login"));
    setFixedSize(Twips::toPixels(QSize(3090, 5280)));
    // The captions are measured for an 8-point sans-serif of the narrow kind; wider faces cut them.
    setFont(QFont(QStringLiteral("Arial"), 8));
    createControls();
    applyColours();
    setFocusOrder();
}

void frmSignon::createControls()
{
    picBanner = place(new ScaledPicture(this), "picBanner", 0, 0, 3090, 2520);
    picBanner->setPixmap(Pictures::forOneUse(QStringLiteral(":/pictures/banner.png")));
    DecorativePicture::mark(picBanner);

    Frame1 = place(new QGroupBox(QStringLiteral("Information "), this), "Frame1", 120, 2520, 2895, 2655);
    Label2 = place(new QLabel(QStringLiteral("Username:"), Frame1), "Label2", 120, 240, 855, 255);
    txtUser = place(new QLineEdit(Frame1), "txtUser", 960, 240, 1815, 285);
    Label1 = place(new QLabel(QStringLiteral("Server IP:"), Frame1), "Label1", 120, 600, 735, 255);
    txtSvrIp = place(new QLineEdit(Frame1), "txtSvrIp", 960, 600, 1815, 285);
    chkUS = place(new QCheckBox(QStringLiteral("Save Username/Server IP"), Frame1), "chkUS", 120, 960, 2175, 255);
    chkAC = place(new QCheckBox(QStringLiteral("Automatic Connect on startup"), Frame1), "chkAC", 120, 1320, 2535, 255);
    widenToCaption(chkUS);
    widenToCaption(chkAC);
    lblVersion = place(new QLabel(Frame1), "lblVersion", 120, 1680, 1335, 255);
    status = place(new QLabel(Frame1), "status", 0, 2040, 2895, 255);
    status->setAlignment(Qt::AlignCenter);
    cmdCancel = place(new QPushButton(QStringLiteral("Cancel"), Frame1), "cmdCancel", 120, 2280, 1335, 255);
    cmdConnect = place(new QPushButton(QStringLiteral("&Connect"), Frame1), "cmdConnect", 1560, 2280, 1215, 255);
    cmdConnect->setDefault(true);
    // A screen reader names each box by its label, not by the frame around them.
    Label2->setBuddy(txtUser);
    Label1->setBuddy(txtSvrIp);

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    // A coarse timer may fire up to 5 % early; the automatic connect waits its whole two seconds.
    Timer->setTimerType(Qt::PreciseTimer);

    connect(cmdConnect, &QPushButton::clicked, this, &frmSignon::cmdConnect_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSignon::cmdCancel_Click);
    connect(Timer, &QTimer::timeout, this, &frmSignon::Timer_Timer);
}

// Blue behind the window, the frame and the check boxes; yellow captions. Text boxes and buttons
// draw with their own roles (Base, Text, Button, ButtonText) and keep the usual colours.
void frmSignon::applyColours()
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, captionText);
    setPalette(palette);
    setAutoFillBackground(true);
}

void frmSignon::setFocusOrder()
{
    const QList<QWidget *> order = {txtUser, txtSvrIp, cmdConnect, chkUS, chkAC, cmdCancel};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
    txtUser->setFocus();
}

void frmSignon::Form_Load()
{
    const SignOnSettings stored = SignOnSettings::read();
    if (!stored.user.isEmpty()) {
        txtUser->setText(stored.user);
        txtSvrIp->setText(stored.server);
        chkUS->setChecked(true);
        chkAC->setChecked(stored.autoConnect);
    }
    if (chkAC->isChecked()) {
        Timer->start(autoConnectIntervalMs);
        status->setText(QStringLiteral("Connecting"));
    }
    lblVersion->setText(versionText());
}

void frmSignon::cmdConnect_Click()
{
    if (m_connecting || txtUser->text().isEmpty() || txtSvrIp->text().isEmpty())
        return;
    m_connecting = true;
    Timer->stop();

    if (handOver())
        handOver()(txtUser->text(), txtSvrIp->text());
    saveSignOn();
    LetPendingEventsRun();
    Form<frmSignon>::unload();
}

// The three keys go in one replacement of the file, so no reader ever meets a mix of old and new.
void frmSignon::saveSignOn()
{
    const bool remember = chkUS->isChecked();
    const SignOnSettings entries{remember ? txtUser->text() : QString(), remember ? txtSvrIp->text() : QString(),
                                 remember && chkAC->isChecked()};
    QString reason;
    if (!modMain::WriteIniValues(entries.values(), modMain::SettingsPath(), &reason))
        modMain::TellSettingsNotSaved(nullptr, reason);
}

void frmSignon::cmdCancel_Click()
{
    Timer->stop();
    status->setText(QStringLiteral("Disonnected"));
}

void frmSignon::Timer_Timer()
{
    cmdConnect->click();
}

// Closing the window unloads it and saves nothing.
void frmSignon::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form<frmSignon>::unload();
}

void frmSignon::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QWidget::keyPressEvent(event);
        return;
    }
    auto *focusedButton = qobject_cast<QPushButton *>(focusWidget());
    (focusedButton ? focusedButton : cmdConnect)->click();
}
