#pragma once

#include <QWidget>

// The sign-on window "Login" (placeholder until the window is built).
class frmSignon : public QWidget
{
    Q_OBJECT
public:
    frmSignon();
};
