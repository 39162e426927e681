#include "ScreenReaderNotice.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QStatusBar>

namespace {

QAccessibleInterface *noticeInterface(const QString &className, QObject *object)
{
    if (className != QLatin1String(ScreenReaderNotice::staticMetaObject.className()))
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Notification);
}

} // namespace

ScreenReaderNotice::ScreenReaderNotice(QStatusBar *bar)
    : QWidget(bar)
{
    static const bool installed = [] {
        QAccessible::installFactory(noticeInterface);
        return true;
    }();
    Q_UNUSED(installed);
    hide();
}

void ScreenReaderNotice::speak(const QString &text)
{
    setAccessibleName(text.left(spokenLimit));
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}
