#pragma once

#include <QMessageBox>
#include <QString>

class QPrinter;
class QWidget;

// Every modal box of the program goes through here, so tests can answer them.
// Production code uses the real Qt dialogs; a test installs its own subclass with setCurrent().
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // A message box; returns the button pressed.
    virtual QMessageBox::StandardButton messageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                                   const QString &text, QMessageBox::StandardButtons buttons,
                                                   QMessageBox::StandardButton defaultButton);
    // An input box; returns the text entered, or "" when it was cancelled.
    virtual QString inputBox(QWidget *parent, const QString &prompt, const QString &title,
                             const QString &defaultText);
    // An open-file dialog; returns the chosen file, or a null string when it was cancelled.
    virtual QString openFileName(QWidget *parent, const QString &title, const QString &directory,
                                 const QString &filter);
    // A save-file dialog offering the file types of filters (";;" between them); returns the chosen
    // file, or a null string when it was cancelled, and the type chosen in *selectedFilter.
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &proposed,
                                 const QString &filters, QString *selectedFilter);
    // The print dialog for printer; returns true when the user chose to print.
    virtual bool printDialog(QWidget *parent, QPrinter *printer);

    static Dialogs &current();
    // Installs dialogs (not owned) in place of the real ones; nullptr restores the real ones.
    static void setCurrent(Dialogs *dialogs);
};
