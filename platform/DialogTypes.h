#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A dialog as plain data, the way a dialog template and its controls' state
// describe it, and the calls a view makes back into the logic behind it. No
// toolkit type appears here: the logic is tested without a display, and the
// view (GtkDialog.h) only shows this data and forwards what the user does.
namespace platform
{

// The kinds of control a dialog template holds.
enum class ControlKind
{
    GroupBox,      // a titled frame around other controls; never focused
    DropDownList,  // a closed list of items, one of them selected
    CheckBox,
    RadioButton,   // radios that follow each other form one group
    Label,         // static text, left-aligned
    CentredLabel,  // static text, centred in its rectangle
    TrackBar,      // a slider over a whole-number range
    PictureFrame,  // shows a picture scaled to its rectangle
    Frame,         // an etched rectangle without a title
    PushButton,
};

// Pixels of a picture, top row first, three bytes (red, green, blue) each.
struct DialogPicture
{
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;
};

// One control: its place in the template and its current state.
struct DialogControl
{
    int32_t id = 0;
    ControlKind kind = ControlKind::Label;
    std::string text;                 // Windows-1251 bytes, like every engine string
    int32_t x = 0;                    // rectangle in dialog units
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool checked = false;             // check boxes and radio buttons
    bool enabled = true;
    int32_t rangeMin = 0;             // track bars
    int32_t rangeMax = 100;
    int32_t position = 0;
    std::vector<std::string> items;   // drop-down lists: Windows-1251 texts
    std::vector<int32_t> itemData;    // one value per item, for the logic
    int32_t selection = -1;           // the selected item, -1 for none
};

// A whole dialog: caption (Windows-1251), size in dialog units, and the
// controls in tab order.
struct DialogTemplate
{
    std::string caption;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<DialogControl> controls;

    // The control of that id, or null.
    DialogControl* Find(int32_t id)
    {
        for (DialogControl& control : controls)
            if (control.id == id)
                return &control;
        return nullptr;
    }
};

// What the view must do after a call into the logic.
enum class DialogAction
{
    Continue,     // show the changed state and go on
    ShowAbout,    // open the about box (AboutHandler), modal, owned by this dialog
    OpenAddress,  // open ActionText() in the user's browser
    ShowMessage,  // a message box with ActionText(); the dialog stays open
    End,          // close the dialog; Result() says how
};

// The logic behind a dialog. The view writes a control's new state into
// Controls() first (checked, position, selection) and then reports it; it
// shows Controls() again after every call.
class DialogHandler
{
public:
    virtual ~DialogHandler() = default;

    // The template with the state to show.
    virtual DialogTemplate& Controls() = 0;

    // A push button pressed, a box or radio clicked, a list's selection changed.
    virtual DialogAction Command(int32_t id) = 0;

    // A track bar moved to its new position.
    virtual void Scroll(int32_t id) = 0;

    // The picture a frame shows, decoded once; null leaves the frame empty.
    virtual const DialogPicture* Picture(int32_t id) = 0;

    // The address or message text of the last OpenAddress or ShowMessage
    // (Windows-1251).
    virtual std::string ActionText() const { return std::string(); }

    // The about box's logic for ShowAbout; null when there is none.
    virtual std::unique_ptr<DialogHandler> AboutHandler() { return nullptr; }

    // The dialog's result once it ended: 1 after OK, 2 after Cancel.
    virtual int32_t Result() const = 0;
};

}  // namespace platform
