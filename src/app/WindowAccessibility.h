#pragma once

// The program's windows are plain widgets, which assistive technology would take for an unnamed
// part of something else; this presents each top-level one as a window.
class WindowAccessibility
{
public:
    // Once, at start-up.
    static void install();
};
