#pragma once

// Lets the window, socket and timer events that are waiting run once, then goes on.
// Handlers use it so a message handed to the socket leaves before the next step.
void LetPendingEventsRun();
