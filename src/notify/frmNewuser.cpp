#include "frmNewuser.h"

#include "app/DecorativePicture.h"
#include "app/Form.h"
#include "app/Pictures.h"
#include "app/Twips.h"

#include <QMouseEvent>

frmNewuser::frmNewuser()
    : NoticeWindow(QString::fromLatin1(Caption), QRect(8625, 6405, 2985, 2010))
    , Image1(new QLabel(this))
    , lblNewuser(new QLabel(QStringLiteral("New has just join the chat"), this))
{
    Image1->setGeometry(Twips::toPixels(QRect{0, -240, 3000, 2250}));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(Pictures::forOneUse(QStringLiteral(":/pictures/panel.png")));
    Image1->installEventFilter(this);
    DecorativePicture::mark(Image1);

    // The label shows a name another user chose: never let it render as markup.
    lblNewuser->setTextFormat(Qt::PlainText);
    // Wider than the window: a long name is cut off at the window's right edge.
    lblNewuser->setGeometry(Twips::toPixels(QRect{120, 840, 3855, 375}));
    QFont notice(QStringLiteral("Arial"));
    notice.setPointSizeF(9.75);
    notice.setBold(true);
    lblNewuser->setFont(notice);
    QPalette colours = lblNewuser->palette();
    colours.setColor(QPalette::WindowText, Qt::black);
    lblNewuser->setPalette(colours);
}

void frmNewuser::Form_Load()
{
    closeAfter(ClosingMs);
}

void frmNewuser::unload()
{
    Form<frmNewuser>::unload();
}

bool frmNewuser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
        const auto *release = static_cast<QMouseEvent *>(event);
        if (release->button() == Qt::LeftButton && Image1->rect().contains(release->position().toPoint())) {
            Image1_Click();
            return true;
        }
    }
    return NoticeWindow::eventFilter(watched, event);
}

void frmNewuser::Image1_Click()
{
    close();
}
