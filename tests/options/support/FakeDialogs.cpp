#include "FakeDialogs.h"

FakeDialogs::FakeDialogs()
{
    Dialogs::setCurrent(this);
}

FakeDialogs::~FakeDialogs()
{
    Dialogs::setCurrent(nullptr);
}

QMessageBox::StandardButton FakeDialogs::messageBox(QWidget *, QMessageBox::Icon icon, const QString &title,
                                                    const QString &text, QMessageBox::StandardButtons buttons,
                                                    QMessageBox::StandardButton defaultButton)
{
    messageBoxes.append({icon, title, text, buttons});
    if (whileMessageBoxOpen)
        whileMessageBoxOpen();
    return defaultButton;
}

QString FakeDialogs::openFileName(QWidget *, const QString &, const QString &directory, const QString &filter)
{
    fileDialogs.append({directory, filter});
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}
