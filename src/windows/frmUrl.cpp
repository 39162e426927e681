#include "frmUrl.h"

#include "Twips.h"
#include "frmChat.h"

#include "app/EscapeKey.h"
#include "app/Form.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>

frmUrl::frmUrl()
{
    setWindowTitle(QStringLiteral("Add Url"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    resize(Twips::toPixels(QSize(3855, 630)));

    txtUrl = new QLineEdit(this);
    txtUrl->setAccessibleName(QStringLiteral("Link address"));
    txtUrl->setGeometry(Twips::toPixels(QRect(0, 0, 3855, 285)));
    // Enter adds the link; the key never reaches the text.
    connect(txtUrl, &QLineEdit::returnPressed, this, &frmUrl::Command1_Click);

    Command1 = new QPushButton(QStringLiteral("Add Link"), this);
    Command1->setGeometry(Twips::toPixels(QRect(1440, 360, 975, 255)));
    connect(Command1, &QPushButton::clicked, this, &frmUrl::Command1_Click);
    onEscape(this, &QWidget::close);
}

// The address is used as typed: no scheme is added and nothing is encoded.
void frmUrl::Command1_Click()
{
    const QString u = txtUrl->text();
    Form<frmChat>::get()->appendToInputLine(QStringLiteral("[URL]") + u + QStringLiteral("[/URL]") + u
                                            + QStringLiteral("[URL/]"));
    Form<frmUrl>::unload();
}

void frmUrl::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form<frmUrl>::unload();
}
