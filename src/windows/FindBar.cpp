#include "FindBar.h"

#include "transcript/TranscriptView.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>

namespace {

QToolButton *button(QWidget *parent, const QString &text, const QString &tip)
{
    auto *button = new QToolButton(parent);
    button->setText(text);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setAutoRaise(true);
    return button;
}

} // namespace

FindBar::FindBar(TranscriptView *view, QWidget *window)
    : QWidget(view)
    , m_view(view)
{
    setAutoFillBackground(true);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 2, 2);
    layout->setSpacing(4);

    auto *label = new QLabel(QStringLiteral("Find:"), this);
    m_text = new QLineEdit(this);
    m_text->setMaxLength(longestText);
    m_text->setAccessibleName(QStringLiteral("Find in the conversation"));
    m_text->setClearButtonEnabled(true);
    label->setBuddy(m_text);
    m_matchCase = new QCheckBox(QStringLiteral("Match case"), this);
    QToolButton *previous = button(this, QStringLiteral("\u25B2"), QStringLiteral("Previous (Shift+F3)"));
    QToolButton *next = button(this, QStringLiteral("\u25BC"), QStringLiteral("Next (F3)"));
    m_status = new QLabel(this);
    QToolButton *close = button(this, QStringLiteral("\u2715"), QStringLiteral("Close (Esc)"));
    layout->addWidget(label);
    layout->addWidget(m_text, 1);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(m_matchCase);
    layout->addWidget(m_status);
    layout->addWidget(close);

    connect(m_text, &QLineEdit::textEdited, this, &FindBar::search);
    connect(m_matchCase, &QCheckBox::toggled, this, &FindBar::search);
    connect(previous, &QToolButton::clicked, this, &FindBar::previous);
    connect(next, &QToolButton::clicked, this, &FindBar::next);
    connect(close, &QToolButton::clicked, this, &FindBar::close);
    connect(view, &TranscriptView::matchesChanged, this, &FindBar::showStatus);

    // F3 goes on working when the user has clicked into the conversation; the shortcuts belong to
    // the bar, so they are dead while it is closed.
    for (auto [key, step] : {std::pair{QKeySequence(Qt::Key_F3), &FindBar::next},
                             std::pair{QKeySequence(Qt::SHIFT | Qt::Key_F3), &FindBar::previous}}) {
        auto *shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, step);
    }
    auto *find = new QShortcut(QKeySequence::Find, window);
    find->setContext(Qt::WindowShortcut);
    connect(find, &QShortcut::activated, this, &FindBar::open);

    hide();
    view->setBottomWidget(this);
}

// Opened again, the bar searches the page as it now stands, from the rows on screen.
void FindBar::open()
{
    if (isHidden()) {
        m_focusBefore = QApplication::focusWidget();
        m_view->beginFind();
        show();
    }
    search();
    m_text->setFocus(Qt::ShortcutFocusReason);
    m_text->selectAll();
}

void FindBar::close()
{
    if (isHidden())
        return;
    m_view->endFind();
    hide();
    if (m_focusBefore)
        m_focusBefore->setFocus(Qt::OtherFocusReason);
}

void FindBar::search()
{
    m_view->find(m_text->text(), m_matchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive);
    showStatus();
}

void FindBar::next()
{
    m_view->findNext();
    showStatus();
}

void FindBar::previous()
{
    m_view->findPrevious();
    showStatus();
}

QString FindBar::status() const
{
    return m_status->text();
}

void FindBar::showStatus()
{
    const PageSearch &search = m_view->search();
    if (!search.isActive())
        m_status->clear();
    else if (search.count() == 0)
        m_status->setText(QStringLiteral("No matches"));
    else if (search.currentNumber() == 0)
        m_status->setText(search.count() == 1 ? QStringLiteral("1 match") : QStringLiteral("%1 matches").arg(search.count()));
    else
        m_status->setText(QStringLiteral("%1 of %2").arg(search.currentNumber()).arg(search.count()));
}

// Escape belongs to the bar while it has the focus: a shortcut of the window on it must not fire.
bool FindBar::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void FindBar::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (event->key() == Qt::Key_Escape)
        close();
    else if (enter && (event->modifiers() & Qt::ShiftModifier))
        previous();
    else if (enter)
        next();
    else
        QWidget::keyPressEvent(event);
}
