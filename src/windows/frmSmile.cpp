#include "frmSmile.h"

#include "ClickablePicture.h"
#include "frmChat.h"

#include "app/AppDir.h"
#include "app/DecorativePicture.h"
#include "app/EscapeKey.h"
#include "app/Form.h"
#include "app/Pictures.h"
#include "app/Twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {
struct Smiley
{
    const char *file; // in smile/ of the application directory
    const char *code;
    int left; // twips
    int top;
};

// Indexed by picture number - 1. Four rows, 360 twips apart.
constexpr Smiley smileys[frmSmile::PictureCount] = {
    {"smile.gif", " :) ", 0, 0},          // Image1
    {"confused2.gif", " ::/: ", 360, 0},  // Image2
    {"lol.gif", " lol ", 720, 0},         // Image3
    {"unsure.gif", " :unsure: ", 1080, 0},// Image4
    {"yes.gif", " :yes: ", 1440, 0},      // Image5
    {"no.gif", " :no: ", 1800, 0},        // Image6
    {"biggrin.gif", " :D ", 0, 360},      // Image7
    {"sun.gif", " :sun: ", 0, 1080},      // Image8
    {"cool.gif", " :cool: ", 360, 360},   // Image9
    {"confusedS.gif", " :S ", 1800, 360}, // Image10
    {"bye2.gif", " :bye: ", 0, 720},      // Image11
    {"excl.gif", " !! ", 720, 720},       // Image12
    {"idea.gif", " :idea: ", 360, 720},   // Image13
    {"brow.gif", " :brow: ", 720, 360},   // Image14
    {"crazy.gif", " :crazy: ", 480, 1080},// Image15
    {"disgust.gif", " :-( ", 1080, 360},  // Image16
    {"cry.gif", " :cry: ", 1440, 360},    // Image17
};
} // namespace

frmSmile::frmSmile()
{
    setWindowTitle(QStringLiteral("Smile"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Twips::toPixels(QSize(2160, 1995)));

    Image18 = new QLabel(this);
    Image18->setPixmap(Pictures::forOneUse(QStringLiteral(":/pictures/panel.png")));
    Image18->move(0, Twips::toPixels(-240));
    Image18->adjustSize();
    DecorativePicture::mark(Image18);

    const QString folder = applicationDirectory() + QStringLiteral("/smile/");
    for (int number = 1; number <= PictureCount; ++number) {
        const Smiley &smiley = smileys[number - 1];
        auto *picture = new ClickablePicture(this);
        picture->setObjectName(QStringLiteral("Image%1").arg(number));
        picture->setToolTip(codeOf(number).trimmed());
        picture->setAccessibleName(codeOf(number).trimmed());
        const QPixmap face(folder + QLatin1String(smiley.file));
        if (face.isNull())
            picture->setText(codeOf(number).trimmed()); // a missing file still leaves a face to click
        else
            picture->setPixmap(face);
        picture->adjustSize();
        picture->move(Twips::toPixels(smiley.left), Twips::toPixels(smiley.top));
        connect(picture, &ClickablePicture::clicked, this, [this, number] { Image_Click(number); });
        m_pictures.append(picture);
    }

    // The keyboard starts on the first face.
    m_pictures.first()->setFocus();

    Command1 = new QPushButton(QStringLiteral("Close"), this);
    Command1->setGeometry(Twips::toPixels(QRect(480, 1560, 1095, 255)));
    connect(Command1, &QPushButton::clicked, this, &frmSmile::Command1_Click);
    onEscape(this, &frmSmile::Command1_Click);
}

ClickablePicture *frmSmile::picture(int number) const
{
    return m_pictures.value(number - 1);
}

QString frmSmile::codeOf(int number)
{
    return (number >= 1 && number <= PictureCount) ? QString::fromLatin1(smileys[number - 1].code) : QString();
}

// Hidden rather than closed, so the picker comes back unchanged.
void frmSmile::Image_Click(int number)
{
    Form<frmChat>::get()->appendToInputLine(codeOf(number));
    hide();
}

void frmSmile::Command1_Click()
{
    hide();
}

void frmSmile::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form<frmSmile>::unload();
}

void frmSmile::keyPressEvent(QKeyEvent *event)
{
    const auto arrow = Qt::Key(event->key());
    if (arrow != Qt::Key_Left && arrow != Qt::Key_Right && arrow != Qt::Key_Up && arrow != Qt::Key_Down) {
        QWidget::keyPressEvent(event);
        return;
    }
    const QWidget *from = focusWidget() ? focusWidget() : m_pictures.first();
    if (ClickablePicture *next = nearestPicture(from, arrow))
        next->setFocus(Qt::OtherFocusReason);
}

// The faces stand in loose rows and columns: the nearest one ahead wins, a step aside counting
// twice as far as a step ahead.
ClickablePicture *frmSmile::nearestPicture(const QWidget *from, Qt::Key arrow) const
{
    const QPoint origin = from->geometry().center();
    ClickablePicture *nearest = nullptr;
    int nearestCost = 0;
    for (ClickablePicture *picture : m_pictures) {
        const QPoint offset = picture->geometry().center() - origin;
        int ahead = 0;
        int aside = 0;
        switch (arrow) {
        case Qt::Key_Left: ahead = -offset.x(); aside = offset.y(); break;
        case Qt::Key_Right: ahead = offset.x(); aside = offset.y(); break;
        case Qt::Key_Up: ahead = -offset.y(); aside = offset.x(); break;
        default: ahead = offset.y(); aside = offset.x(); break;
        }
        if (ahead <= 0)
            continue;
        const int cost = ahead + 2 * std::abs(aside);
        if (!nearest || cost < nearestCost) {
            nearest = picture;
            nearestCost = cost;
        }
    }
    return nearest;
}
