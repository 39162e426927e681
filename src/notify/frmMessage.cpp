#include "frmMessage.h"

#include "app/DecorativePicture.h"
#include "app/Form.h"
#include "app/Pictures.h"
#include "app/Twips.h"

namespace {

QLabel *label(QWidget *parent, const QString &text, const QRect &twips)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(Twips::toPixels(twips));
    return label;
}

} // namespace

frmMessage::frmMessage()
    : NoticeWindow(QString::fromLatin1(Caption), QRect(8145, 6900, 3840, 1545))
    , Image1(label(this, QString(), QRect(0, -240, 3960, 2250)))
    , Label1{label(this, QStringLiteral("Message"), QRect(240, 120, 1815, 375)),
             label(this, QStringLiteral("of Day!!!"), QRect(1320, 480, 2175, 375))}
    , Label2(label(this, QStringLiteral("Korvani"), QRect(120, 720, 975, 255)))
    , txtmessage(new ReceivedTextEdit(this))
{
    Image1->setPixmap(Pictures::forOneUse(QStringLiteral(":/pictures/panel.png")));
    Image1->setScaledContents(true);
    DecorativePicture::mark(Image1);

    QFont heading(QStringLiteral("MotterFemD"));
    heading.setPointSizeF(14.25);
    for (QLabel *part : Label1)
        part->setFont(heading);

    txtmessage->setGeometry(Twips::toPixels(QRect{0, 960, 3855, 615}));
    txtmessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtmessage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette colours = txtmessage->palette();
    colours.setColor(QPalette::Base, QColor(224, 224, 224));
    colours.setColor(QPalette::Text, Qt::black);
    txtmessage->setPalette(colours);
}

void frmMessage::Form_Load()
{
    closeAfter(ClosingMs);
}

void frmMessage::unload()
{
    Form<frmMessage>::unload();
}
