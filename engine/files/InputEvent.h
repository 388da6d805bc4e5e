#pragma once
#include <cstdint>

// One input event as handlers see it. The numbers are compared by handlers,
// so they are fixed.
struct InputEvent
{
    enum Device : int32_t { kKeyboard = 0, kMouse = 1, kSystem = 2 };
    enum Action : int32_t { kPress = 1, kRelease = 2, kMove = 3, kClose = 4 };

    int32_t device;
    int32_t action;
    int32_t code; // engine key code, mouse button (0 left, 1 right, 2 middle) or x of a move
    int32_t y;    // y of a move, else 0
};

// Engine key codes handlers compare against.
namespace EngineKey
{
constexpr int32_t kDigit0 = 0;   // 0..9
constexpr int32_t kLetterA = 10; // A..Z are 10..35
constexpr int32_t kEscape = 49;
constexpr int32_t kF1 = 50;      // F1..F12 are 50..61
constexpr int32_t kSpace = 97;
constexpr int32_t kNone = 100;
constexpr int32_t Letter(char letter) { return kLetterA + (letter - 'A'); }
constexpr int32_t Function(int number) { return kF1 + number - 1; }
} // namespace EngineKey

// The 256-entry table from a virtual-key number to an engine key code;
// unlisted keys give kNone.
int32_t EngineKeyFromVirtualKey(int32_t virtualKey);
