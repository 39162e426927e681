#include "OptionChoices.h"

#include "frmOptions.h"

namespace {
const OptionChoices *&installed()
{
    static const OptionChoices *choices = nullptr;
    return choices;
}
} // namespace

const OptionChoices &OptionChoices::current()
{
    if (installed())
        return *installed();
    return frmOptions::currentChoices();
}

void OptionChoices::setCurrent(const OptionChoices *choices)
{
    installed() = choices;
}
