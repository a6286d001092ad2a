#pragma once

// The state of the Caps Lock, Num Lock and Scroll Lock keys for the status bar's indicators.

struct LockKeys {
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

// Asks the window system for the keyboard's lock indicators; all off where it cannot tell
// (no X11 display, for example under Wayland or the offscreen platform).
LockKeys QueryLockKeys();
