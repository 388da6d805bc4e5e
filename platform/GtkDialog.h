#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/DialogTypes.h"

// The dialogs and message boxes on GTK 3: a thin view that builds widgets
// from a DialogTemplate and forwards what the user does to its handler. Only
// the configuration mode starts the toolkit; the show never does.
namespace platform
{

// Starts GTK once per process: the C locale stays (numbers keep parsing
// with a dot), a missing display is an answer rather than an exit, and the
// X error traps of DisplayConnection keep working next to GDK's. False with
// the reason in *why (may be null) when there is no display.
bool StartDialogToolkit(std::string* why);

// A modal message box with an OK button and the information icon; title
// and text are Windows-1251. Starts the toolkit when needed; without a
// display it shows nothing (callers have logged and printed already).
void ShowMessageBox(const std::string& title, const std::string& text, unsigned long ownerWindow);

// Starts `xdg-open address` without a shell and without waiting for it.
// False when it could not be started.
bool OpenAddress(const std::string& address);

// One dialog on screen. The toolkit must be started.
class DialogView
{
public:
    // Builds the window and its widgets from handler.Controls(). It is
    // transient for ownerWindow (an X window id, 0 for none) or, for a box
    // opened from another dialog, for parent.
    DialogView(DialogHandler& handler, unsigned long ownerWindow, DialogView* parent = nullptr);
    ~DialogView();

    DialogView(const DialogView&) = delete;
    DialogView& operator=(const DialogView&) = delete;

    // Shows the window, focuses its first control and runs until the
    // handler ends the dialog; the handler's result.
    int32_t Run();

    // The UTF-8 text the toolkit holds for a control (0: the caption).
    std::string ToolkitText(int32_t id) const;

    // The toolkit side, defined where GTK is included.
    struct Widgets;

private:
    std::unique_ptr<Widgets> widgets;
};

}  // namespace platform
