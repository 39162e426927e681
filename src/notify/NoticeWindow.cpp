#include "NoticeWindow.h"

#include "NoticePlacement.h"

#include <QCloseEvent>

NoticeWindow::NoticeWindow(const QString &title, const QRect &clientTwips)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , Timer(new QTimer(this))
{
    setWindowTitle(title);
    NoticePlacement::place(*this, clientTwips);
    Timer->setSingleShot(true);
    connect(Timer, &QTimer::timeout, this, &NoticeWindow::Timer_Timer);
}

void NoticeWindow::closeAfter(int intervalMs)
{
    Timer->start(intervalMs);
}

void NoticeWindow::Timer_Timer()
{
    close();
}

void NoticeWindow::closeEvent(QCloseEvent *event)
{
    unload();
    event->accept();
}
