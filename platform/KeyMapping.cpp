#include "platform/KeyMapping.h"

#define XK_MISCELLANY
#define XK_LATIN1
#define XK_XKB_KEYS
#include <X11/keysymdef.h>

namespace platform
{

int32_t KeysymToVirtualKey(unsigned long keysym)
{
    // Ranges first: their codes run in the same order on both sides.
    if (keysym >= XK_0 && keysym <= XK_9)
        return 0x30 + static_cast<int32_t>(keysym - XK_0);
    if (keysym >= XK_a && keysym <= XK_z)
        return 0x41 + static_cast<int32_t>(keysym - XK_a);
    if (keysym >= XK_A && keysym <= XK_Z)
        return 0x41 + static_cast<int32_t>(keysym - XK_A);
    if (keysym >= XK_F1 && keysym <= XK_F12)
        return 0x70 + static_cast<int32_t>(keysym - XK_F1);
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
        return 0x60 + static_cast<int32_t>(keysym - XK_KP_0);

    switch (keysym)
    {
    case XK_BackSpace:        return 0x08;
    case XK_Tab:              return 0x09;
    case XK_Return:           return 0x0D;
    case XK_KP_Enter:         return 0x0D;
    case XK_Pause:            return 0x13;
    case XK_Caps_Lock:        return 0x14;
    case XK_Escape:           return 0x1B;
    case XK_space:            return 0x20;
    case XK_Prior:            return 0x21;
    case XK_Next:             return 0x22;
    case XK_End:              return 0x23;
    case XK_Home:             return 0x24;
    case XK_Left:             return 0x25;
    case XK_Up:               return 0x26;
    case XK_Right:            return 0x27;
    case XK_Down:             return 0x28;
    case XK_Print:            return 0x2C;
    case XK_Insert:           return 0x2D;
    case XK_Delete:           return 0x2E;

    // The keypad with NumLock off: Windows reports the navigation keys.
    case XK_KP_Prior:         return 0x21;
    case XK_KP_Next:          return 0x22;
    case XK_KP_End:           return 0x23;
    case XK_KP_Home:          return 0x24;
    case XK_KP_Left:          return 0x25;
    case XK_KP_Up:            return 0x26;
    case XK_KP_Right:         return 0x27;
    case XK_KP_Down:          return 0x28;
    case XK_KP_Insert:        return 0x2D;
    case XK_KP_Delete:        return 0x2E;

    case XK_KP_Multiply:      return 0x6A;
    case XK_KP_Add:           return 0x6B;
    case XK_KP_Subtract:      return 0x6D;
    case XK_KP_Decimal:       return 0x6E;
    case XK_KP_Divide:        return 0x6F;

    case XK_Num_Lock:         return 0x90;
    case XK_Scroll_Lock:      return 0x91;
    case XK_Shift_L:          return 0xA0;
    case XK_Shift_R:          return 0xA1;
    case XK_Control_L:        return 0xA2;
    case XK_Control_R:        return 0xA3;
    case XK_Alt_L:            return 0xA4;
    case XK_Alt_R:            return 0xA5;
    // Layouts with a third level put AltGr where the right Alt was.
    case XK_ISO_Level3_Shift: return 0xA5;

    case XK_semicolon:        return 0xBA;
    case XK_equal:            return 0xBB;
    case XK_comma:            return 0xBC;
    case XK_minus:            return 0xBD;
    case XK_period:           return 0xBE;
    case XK_slash:            return 0xBF;
    case XK_grave:            return 0xC0;
    case XK_bracketleft:      return 0xDB;
    case XK_backslash:        return 0xDC;
    case XK_bracketright:     return 0xDD;
    case XK_apostrophe:       return 0xDE;
    default:                  return 0;
    }
}

}  // namespace platform
