#include "frmSignon.h"

frmSignon::frmSignon()
{
    setWindowTitle(QStringLiteral("Login"));
}
