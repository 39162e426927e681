#pragma once

#include "FakeDialogs.h"
#include "RecordingSoundPlayer.h"
#include "TestAppDir.h"

// Everything an options test swaps out for one test: its own application directory, the modal
// boxes and the sound player. They are put back in the reverse order.
struct OptionsFakes
{
    TestAppDir dir;
    FakeDialogs dialogs;
    RecordingSoundPlayer player;
};
