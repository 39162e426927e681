#include "frmAbout.h"

#include "WindowFont.h"

#include "app/EscapeKey.h"
#include "app/Form.h"
#include "app/Pictures.h"
#include "app/Twips.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {
// The four rows of the frame, in twips: each 255 high, their tops 240 apart.
constexpr int RowHeight = 255;
constexpr int RowStep = 240;

QLabel *captionLabel(const QString &text, QWidget *parent)
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial")});
    font.setPointSizeF(8.25);
    font.setBold(true);
    auto *label = new QLabel(text, parent);
    label->setFont(font);
    return label;
}
} // namespace

frmAbout::frmAbout()
{
    setWindowTitle(QStringLiteral("About"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Twips::toPixels(QSize(6345, 1830)));
    setFont(WindowFont::standard());

    // The window's lower edge cuts off the bottom of the stretched logo.
    Image1 = new QLabel(this);
    Image1->setPixmap(Pictures::forOneUse(QStringLiteral(":/pictures/about_logo.png")));
    Image1->setScaledContents(true);
    Image1->setAccessibleName(QStringLiteral("Korvani"));
    Image1->setGeometry(Twips::toPixels(QRect(0, 0, 2895, 2130)));

    Frame1 = new QFrame(this);
    Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Frame1->setGeometry(Twips::toPixels(QRect(3000, 60, 3255, 1290)));

    const int captionLeft = Twips::toPixels(120);
    const int valueLeft = Twips::toPixels(1020);
    const int rowWidth = Frame1->width() - captionLeft - Twips::toPixels(60);
    auto rowTop = [](int row) { return Twips::toPixels(180 + (row - 1) * RowStep); };
    Label1 = captionLabel(QStringLiteral("Author:"), Frame1);
    Label2 = captionLabel(QStringLiteral("Version:"), Frame1);
    Label3 = captionLabel(QStringLiteral("Website:"), Frame1);
    lblAuthor = new QLabel(QStringLiteral("The Korvani team"), Frame1);
    lblVersion = new QLabel(Frame1);
    lblWebsite = new QLabel(Frame1);
    Label4 = new QLabel(QStringLiteral("Made with care for friendly chats."), Frame1);

    const QList<QLabel *> captions = {Label1, Label2, Label3};
    const QList<QLabel *> values = {lblAuthor, lblVersion, lblWebsite};
    const int rowHeight = Twips::toPixels(RowHeight);
    for (int row = 1; row <= 3; ++row) {
        captions[row - 1]->setGeometry(captionLeft, rowTop(row), valueLeft - captionLeft, rowHeight);
        values[row - 1]->setGeometry(valueLeft, rowTop(row), rowWidth - (valueLeft - captionLeft), rowHeight);
    }
    Label4->setGeometry(captionLeft, rowTop(4), rowWidth, rowHeight);

    cmdoK = new QPushButton(QStringLiteral("OK"), this);
    cmdoK->setGeometry(Twips::toPixels(QRect(5280, 1440, 975, 255)));
    cmdoK->setDefault(true);
    connect(cmdoK, &QPushButton::clicked, this, &frmAbout::cmdoK_Click);
    onEscape(this, &frmAbout::cmdoK_Click);
}

QString frmAbout::versionText()
{
    return QStringLiteral("%1.%2.%3").arg(KORVANI_VERSION_MAJOR).arg(KORVANI_VERSION_MINOR).arg(KORVANI_VERSION_PATCH);
}

void frmAbout::Form_Load()
{
    lblVersion->setText(versionText());
    lblWebsite->setText(QStringLiteral("korvani.example.org"));
}

void frmAbout::cmdoK_Click()
{
    Form<frmAbout>::unload();
}

void frmAbout::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form<frmAbout>::unload();
}
