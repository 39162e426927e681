#include "SkinTable.h"

#include <QLatin1StringView>

namespace {
struct Skin
{
    QLatin1StringView name;
    int picture;
};

// The names the options window offers, plus the empty name of a settings file that has none.
// "Rad Skin" is the name the options window stores for the red skin.
constexpr Skin skins[] = {
    {QLatin1StringView("Blue Skin"), 1},   {QLatin1StringView(""), 1},
    {QLatin1StringView("Black Skin"), 5},  {QLatin1StringView("Rad Skin"), 4},
    {QLatin1StringView("Yellow Skin"), 3}, {QLatin1StringView("Green Skin"), 2},
};
} // namespace

int SkinTable::pictureFor(const QString &skinName)
{
    for (const Skin &skin : skins) {
        if (skinName == skin.name)
            return skin.picture;
    }
    return KeepPicture;
}

QString SkinTable::picturePath(int picture)
{
    return QStringLiteral(":/pictures/skin%1.png").arg(picture);
}
