#pragma once

#include <QString>

// The user's option choices as the options window currently shows them, applied or not.
// The dispatcher, the main window's skin and the sound events read them through this interface,
// so they (and their tests) never touch the window's widgets.
class OptionChoices
{
public:
    virtual ~OptionChoices() = default;

    virtual QString skinName() const = 0;        // text of styleIzbor
    virtual bool joinRowInMain() const = 0;      // ChkMain ticked
    virtual bool joinLeaveBalloon() const = 0;   // UMBalloon selected
    virtual bool motdInMain() const = 0;         // modMain selected
    virtual bool motdInWindow() const = 0;       // modWindows selected
    virtual bool motdInBalloon() const = 0;      // modBalloon selected
    virtual QString soundFile(int row) const = 0; // path of sound row 1..5; "" for another row

    // The live choices: the options window's while it is loaded, otherwise those read from
    // Options.ini ahead of it (see frmOptions::currentChoices). A test may install its own choices
    // with setCurrent(); nullptr restores the program's.
    static const OptionChoices &current();
    static void setCurrent(const OptionChoices *choices);
};
