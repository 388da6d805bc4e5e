#pragma once
#include <cstdint>

// X keysyms to the Windows virtual-key numbers the engine's key table is
// written in. Kept pure (no display needed) so the table can be tested on
// its own; choosing which keysym of a key event to look up is the window's
// business.
namespace platform
{

// The virtual-key number 1..255 for a keysym, 0 for a key the engine does
// not know. Letters of either case give the same number, as on Windows;
// keypad keys give the digit codes with NumLock on and the navigation codes
// of their NumLock-off keysyms (KP_Home, KP_Up, ...), again as on Windows.
int32_t KeysymToVirtualKey(unsigned long keysym);

}  // namespace platform
