#pragma once

#include <QWidget>

class QStatusBar;

// Text a screen reader speaks at once, wherever the keyboard focus is. Orca speaks a notification
// that appears inside a status bar by its name alone, as it speaks a desktop's status notices:
// this notification never shows on screen, and appears to assistive technology again for each text.
class ScreenReaderNotice : public QWidget
{
    Q_OBJECT
public:
    // Longer texts are cut: a screen reader reading a flood of 64 KiB messages would never finish.
    static constexpr int spokenLimit = 500;

    explicit ScreenReaderNotice(QStatusBar *bar);

    void speak(const QString &text);
};
