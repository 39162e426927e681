#include "OptionChoices.h"

#include "app/Form.h"
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
    return Form<frmOptions>::get()->choices();
}

void OptionChoices::setCurrent(const OptionChoices *choices)
{
    installed() = choices;
}
