#include "FocusFrame.h"

#include "DecorativePicture.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

FocusFrame::FocusFrame(QWidget *window)
    : QWidget(window)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    DecorativePicture::mark(this);
    hide();
}

void FocusFrame::install()
{
    static const bool installed = [] {
        QObject::connect(qApp, &QApplication::focusChanged, qApp, &FocusFrame::focusChanged);
        return true;
    }();
    Q_UNUSED(installed);
}

void FocusFrame::focusChanged(QWidget *old, QWidget *now)
{
    if (old && old->window() != old)
        if (FocusFrame *frame = old->window()->findChild<FocusFrame *>(QString(), Qt::FindDirectChildrenOnly))
            frame->follow(nullptr);
    if (now && now->window() != now)
        of(now->window())->follow(now);
}

FocusFrame *FocusFrame::of(QWidget *window)
{
    if (auto *frame = window->findChild<FocusFrame *>(QString(), Qt::FindDirectChildrenOnly))
        return frame;
    return new FocusFrame(window);
}

void FocusFrame::follow(QWidget *control)
{
    if (m_control)
        m_control->removeEventFilter(this);
    m_control = control;
    if (!control) {
        hide();
        return;
    }
    control->installEventFilter(this);
    fitToControl();
}

// The control may move, change its size or be hidden while it has the focus.
bool FocusFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_control) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            fitToControl();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FocusFrame::fitToControl()
{
    if (!m_control || !m_control->isVisible()) {
        hide();
        return;
    }
    setGeometry(QRect(m_control->mapTo(parentWidget(), QPoint(0, 0)), m_control->size()));
    raise();
    show();
    update();
}

void FocusFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(Qt::white);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(1, 1, -2, -2));
}
