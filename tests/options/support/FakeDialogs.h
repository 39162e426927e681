#pragma once

#include "app/Dialogs.h"

#include <QList>
#include <QStringList>

#include <functional>

// Answers the program's modal boxes without showing any, and keeps what was asked.
class FakeDialogs : public Dialogs
{
public:
    struct MessageBoxCall
    {
        QMessageBox::Icon icon;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
    };
    struct FileDialogCall
    {
        QString directory;
        QString filter;
    };

    FakeDialogs();  // installs itself
    ~FakeDialogs() override; // restores the real dialogs

    QMessageBox::StandardButton messageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                           const QString &text, QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &directory,
                         const QString &filter) override;

    QList<MessageBoxCall> messageBoxes;
    QList<FileDialogCall> fileDialogs;
    // The answers of the next file dialogs, in order; a null string is a cancelled dialog.
    QStringList fileAnswers;
    // Runs while a message box is "open", as the user could act meanwhile.
    std::function<void()> whileMessageBoxOpen;
};
