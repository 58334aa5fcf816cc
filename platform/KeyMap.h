// Key codes: the game's are Windows virtual-key codes, except for a few keys it names with negative
// codes; SDL key symbols are mapped onto the virtual-key codes first.
#pragma once

// The engine key code of a virtual-key code: Tab -27, Enter -25, Shift -28, Ctrl -29, Alt -30,
// Caps Lock -31, Escape -24, arrows -20 to -23, Delete -26, F1..F12 -43..-32; every other code as is.
int translateVirtualKey(int virtualKey);

// The virtual-key code of a key given as SDL symbol and scancode: letters 65-90 whatever Shift says,
// digits 48-57, space 32, left and right modifiers folded together. A layout whose letter keys give
// no Latin symbol falls back to the key's position. 0 for keys the game has no code for.
int virtualKeyFromSdl(int symbol, int scancode);
