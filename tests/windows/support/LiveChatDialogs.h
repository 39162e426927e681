#pragma once

#include "app/Dialogs.h"

#include <QList>
#include <QString>

#include <functional>

// Answers the chat's message and input boxes and records what they asked. whileBoxOpen runs
// inside every message box, as time passes while the user reads it.
class LiveChatDialogs : public Dialogs
{
public:
    struct Box
    {
        QMessageBox::Icon icon;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
    };
    struct Input
    {
        QString prompt;
        QString title;
        QString defaultText;
    };

    QList<Box> boxes;
    QList<Input> inputs;
    bool answerYes = true;  // for boxes that offer Yes and No
    QString answerText;     // for input boxes; "" stands for Cancel too
    std::function<void()> whileBoxOpen;

    void reset()
    {
        boxes.clear();
        inputs.clear();
        answerYes = true;
        answerText.clear();
        whileBoxOpen = nullptr;
    }

    QMessageBox::StandardButton messageBox(QWidget *, QMessageBox::Icon icon, const QString &title, const QString &text,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton) override
    {
        boxes.append({icon, title, text, buttons, defaultButton});
        if (whileBoxOpen)
            whileBoxOpen();
        if (buttons.testFlag(QMessageBox::Yes))
            return answerYes ? QMessageBox::Yes : QMessageBox::No;
        return QMessageBox::Ok;
    }

    QString inputBox(QWidget *, const QString &prompt, const QString &title, const QString &defaultText) override
    {
        inputs.append({prompt, title, defaultText});
        return answerText;
    }
};
