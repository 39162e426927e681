#pragma once

#include <QString>

// Which of the five skin pictures a skin name selects for the main window's background.
class SkinTable
{
public:
    static constexpr int PictureCount = 5;
    // pictureFor() of a name that selects nothing: the window keeps the background it has.
    static constexpr int KeepPicture = 0;

    // The picture number (1 blue, 2 green, 3 yellow, 4 red, 5 black) for a skin name, compared
    // exactly, letter case included; the empty name is the blue skin. KeepPicture for any other text.
    static int pictureFor(const QString &skinName);

    // The resource of picture 1..PictureCount.
    static QString picturePath(int picture);
};
