#include "app/DialogModel.h"

#include <algorithm>

#include "app/ScreensaverApp.h"

namespace
{

using platform::ControlKind;

// One row of a dialog template: id, kind, default text, rectangle.
struct Row
{
    int32_t id;
    ControlKind kind;
    const char* text;
    int32_t x, y, width, height;
};

// The settings dialog in tab order.
constexpr Row kSettingsRows[] = {
    {1016, ControlKind::GroupBox, "Video Mode Selection", 9, 9, 193, 35},
    {1011, ControlKind::DropDownList, "", 15, 18, 178, 74},
    {11012, ControlKind::CheckBox, "Use Desktop Settings", 15, 32, 87, 10},
    {11017, ControlKind::GroupBox, "Sound Control", 9, 45, 193, 36},
    {11023, ControlKind::Label, "Master Volume", 18, 55, 48, 8},
    {1020, ControlKind::TrackBar, "", 77, 55, 122, 13},
    {1021, ControlKind::CheckBox, "Enable Music", 15, 67, 88, 11},
    {11022, ControlKind::CheckBox, "Enable Sound", 114, 67, 85, 11},
    {21018, ControlKind::GroupBox, "Graphics", 9, 82, 193, 49},
    {11106, ControlKind::Label, "Gamma Control : ", 18, 93, 62, 8},
    {11118, ControlKind::Label, "100%", 80, 93, 19, 8},
    {1046, ControlKind::TrackBar, "", 102, 93, 97, 12},
    {1050, ControlKind::CheckBox, "Fur", 15, 104, 85, 12},
    {1053, ControlKind::CheckBox, "Shadows", 113, 104, 85, 12},
    {1054, ControlKind::CheckBox, "Bloom", 15, 116, 85, 12},
    {1055, ControlKind::CheckBox, "Widescreen", 113, 116, 85, 12},
    {11019, ControlKind::GroupBox, "Misc Options", 9, 132, 193, 50},
    {1044, ControlKind::CheckBox, "Show FPS", 15, 144, 78, 10},
    {1045, ControlKind::CheckBox, "Exit on Mouse move", 15, 155, 85, 12},
    {1119, ControlKind::CheckBox, "Show Time", 114, 144, 71, 10},
    {1112, ControlKind::RadioButton, "24h style", 136, 156, 54, 8},
    {1111, ControlKind::RadioButton, "12h style", 136, 167, 55, 8},
    {1036, ControlKind::PictureFrame, "", 205, 12, 172, 120},
    {1026, ControlKind::GroupBox, "Additional Information", 205, 132, 175, 50},
    {1047, ControlKind::CheckBox, "Interesting facts (Vernalia symbols and traditions)", 209, 144, 171, 10},
    {1049, ControlKind::CheckBox, "Quotes (famous quotes from famous people)", 209, 156, 157, 10},
    {1048, ControlKind::CheckBox, "BBC News (breaking world news)", 209, 168, 157, 10},
    {1022, ControlKind::GroupBox, "Products", 9, 183, 371, 26},
    {1025, ControlKind::Label, "Visit our official web-site for more great 3D screensavers", 18, 194, 218, 8},
    {1061, ControlKind::PushButton, "Visit...", 252, 191, 59, 13},
    {1062, ControlKind::PushButton, "About...", 316, 191, 59, 13},
    {1063, ControlKind::PushButton, "Restore Defaults", 12, 246, 100, 13},
    {1, ControlKind::PushButton, "OK", 252, 246, 59, 13},
    {2, ControlKind::PushButton, "Cancel", 316, 246, 59, 13},
};

// The about box: the logo, eight centred credit lines, a frame, OK.
constexpr Row kAboutRows[] = {
    {1037, ControlKind::PictureFrame, "", 8, 8, 60, 108},
    {1040, ControlKind::CentredLabel, "", 75, 14, 149, 12},
    {1041, ControlKind::CentredLabel, "", 75, 24, 149, 12},
    {1042, ControlKind::CentredLabel, "", 75, 34, 149, 12},
    {1043, ControlKind::CentredLabel, "", 75, 44, 149, 12},
    {1044, ControlKind::CentredLabel, "", 75, 54, 149, 12},
    {1045, ControlKind::CentredLabel, "", 75, 64, 149, 12},
    {1046, ControlKind::CentredLabel, "", 75, 74, 149, 12},
    {1047, ControlKind::CentredLabel, "", 75, 84, 149, 12},
    {-1, ControlKind::Frame, "", 72, 8, 159, 88},
    {1, ControlKind::PushButton, "OK", 128, 100, 48, 15},
};

template <size_t N>
DialogModel Make(const char* caption, int32_t width, int32_t height, const Row (&rows)[N])
{
    DialogModel model;
    platform::DialogTemplate& data = model.Template();
    data.caption = caption;
    data.width = width;
    data.height = height;
    for (const Row& row : rows)
    {
        platform::DialogControl control;
        control.id = row.id;
        control.kind = row.kind;
        control.text = row.text;
        control.x = row.x;
        control.y = row.y;
        control.width = row.width;
        control.height = row.height;
        data.controls.push_back(control);
    }
    return model;
}

const std::string kNoText;

} // namespace

DialogModel DialogModel::SettingsTemplate()
{
    return Make("Vernalia 3D Screensaver Configuration", 388, 266, kSettingsRows);
}

DialogModel DialogModel::AboutTemplate()
{
    return Make("About", 239, 124, kAboutRows);
}

const platform::DialogControl* DialogModel::Find(int32_t id) const
{
    return const_cast<platform::DialogTemplate&>(data).Find(id);
}

void DialogModel::SetText(int32_t id, const std::string& text)
{
    if (platform::DialogControl* control = Find(id))
        control->text = text;
}

const std::string& DialogModel::Text(int32_t id) const
{
    const platform::DialogControl* control = Find(id);
    return control ? control->text : kNoText;
}

void DialogModel::SetChecked(int32_t id, bool checked)
{
    if (platform::DialogControl* control = Find(id))
        control->checked = checked;
}

bool DialogModel::IsChecked(int32_t id) const
{
    const platform::DialogControl* control = Find(id);
    return control && control->checked;
}

void DialogModel::SetEnabled(int32_t id, bool enabled)
{
    if (platform::DialogControl* control = Find(id))
        control->enabled = enabled;
}

bool DialogModel::IsEnabled(int32_t id) const
{
    const platform::DialogControl* control = Find(id);
    return control && control->enabled;
}

void DialogModel::SetRange(int32_t id, int32_t low, int32_t high)
{
    if (platform::DialogControl* control = Find(id))
    {
        control->rangeMin = low;
        control->rangeMax = std::max(low, high);
        control->position = std::clamp(control->position, control->rangeMin, control->rangeMax);
    }
}

void DialogModel::SetPosition(int32_t id, int32_t position)
{
    if (platform::DialogControl* control = Find(id))
        control->position = std::clamp(position, control->rangeMin, control->rangeMax);
}

int32_t DialogModel::Position(int32_t id) const
{
    const platform::DialogControl* control = Find(id);
    return control ? control->position : 0;
}

void DialogModel::ClearItems(int32_t id)
{
    if (platform::DialogControl* control = Find(id))
    {
        control->items.clear();
        control->itemData.clear();
        control->selection = -1;
    }
}

void DialogModel::AddItem(int32_t id, const std::string& text, int32_t itemData)
{
    if (platform::DialogControl* control = Find(id))
    {
        control->items.push_back(text);
        control->itemData.push_back(itemData);
    }
}

void DialogModel::SetSelection(int32_t id, int32_t index)
{
    if (platform::DialogControl* control = Find(id))
        control->selection = index >= 0 && static_cast<size_t>(index) < control->items.size() ? index : -1;
}

int32_t DialogModel::Selection(int32_t id) const
{
    const platform::DialogControl* control = Find(id);
    return control ? control->selection : -1;
}

bool DialogModel::SelectedData(int32_t id, int32_t& itemData) const
{
    const platform::DialogControl* control = Find(id);
    if (!control || control->selection < 0 || static_cast<size_t>(control->selection) >= control->itemData.size())
        return false;
    itemData = control->itemData[static_cast<size_t>(control->selection)];
    return true;
}

void DialogModel::SetTextFromTable(const ScreensaverApp& app, int32_t id, const char* key)
{
    const String* text = app.FindUiString(String(key));
    if (!text)
        return;
    if (id == 0)
        data.caption = text->CStr();
    else
        SetText(id, text->CStr());
}
