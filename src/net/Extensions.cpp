#include "Extensions.h"

#include <array>

namespace {
constexpr QByteArrayView commandWord("Extensions ");

struct Named
{
    Extensions::Extension extension;
    QByteArrayView name;
};

// In offer order.
constexpr std::array<Named, 1> names = {{
    {Extensions::Utf8, "UTF-8"},
}};
} // namespace

Extensions::Set Extensions::known()
{
    Set set;
    for (const Named &named : names)
        set |= named.extension;
    return set;
}

QByteArray Extensions::message(Set set)
{
    QByteArray message = commandWord.toByteArray();
    for (const Named &named : names) {
        if (!set.testFlag(named.extension))
            continue;
        if (message.size() > commandWord.size())
            message += ' ';
        message += named.name;
    }
    return message;
}

bool Extensions::read(QByteArrayView message, Set *named)
{
    if (!message.startsWith(commandWord))
        return false;
    *named = {};
    // Split by hand: a hostile message of 64 KiB of blanks costs one pass and no list.
    QByteArrayView rest = message.sliced(commandWord.size());
    while (!rest.isEmpty()) {
        const qsizetype blank = rest.indexOf(' ');
        const QByteArrayView name = blank < 0 ? rest : rest.first(blank);
        for (const Named &known : names) {
            if (name == known.name)
                *named |= known.extension;
        }
        rest = blank < 0 ? QByteArrayView() : rest.sliced(blank + 1);
    }
    return true;
}
