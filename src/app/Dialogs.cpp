#include "Dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QPrintDialog>

namespace {
Dialogs *&installed()
{
    static Dialogs *dialogs = nullptr;
    return dialogs;
}
} // namespace

QMessageBox::StandardButton Dialogs::messageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                                const QString &text, QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, text, buttons, parent);
    // Box texts carry names and texts from the server: never let them render as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString Dialogs::inputBox(QWidget *parent, const QString &prompt, const QString &title, const QString &defaultText)
{
    bool accepted = false;
    const QString text = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, defaultText, &accepted);
    return accepted ? text : QString();
}

QString Dialogs::openFileName(QWidget *parent, const QString &title, const QString &directory, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, title, directory, filter);
}

QString Dialogs::saveFileName(QWidget *parent, const QString &title, const QString &proposed, const QString &filters,
                              QString *selectedFilter)
{
    return QFileDialog::getSaveFileName(parent, title, proposed, filters, selectedFilter);
}

Dialogs &Dialogs::current()
{
    static Dialogs realDialogs;
    return installed() ? *installed() : realDialogs;
}

void Dialogs::setCurrent(Dialogs *dialogs)
{
    installed() = dialogs;
}

bool Dialogs::printDialog(QWidget *parent, QPrinter *printer)
{
    QPrintDialog dialog(printer, parent);
    return dialog.exec() == QDialog::Accepted;
}
