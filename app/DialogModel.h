#pragma once
#include <cstdint>
#include <string>

#include "platform/DialogTypes.h"

class ScreensaverApp;

// The messages of the settings dialog that reach the concrete screensaver's
// ExtraDialogMessage after the common handling: the dialog's opening, a
// command from a control, a track bar's move.
enum class DialogMessage : int32_t
{
    Init,
    Command,
    Scroll,
};

// The controls of one dialog template by id, with the operations the dialog
// logic performs on them (the messages a dialog procedure would send). Ids
// are looked up within this dialog only: the settings dialog and the about
// box share some numbers.
class DialogModel
{
public:
    // The settings dialog (template 113) and the about box (template 106)
    // with their default English texts.
    static DialogModel SettingsTemplate();
    static DialogModel AboutTemplate();

    platform::DialogTemplate& Template() { return data; }
    const platform::DialogTemplate& Template() const { return data; }

    // Each setter ignores an id this dialog does not have; the getters give
    // an empty or false answer for it.
    void SetText(int32_t id, const std::string& text);
    const std::string& Text(int32_t id) const;
    void SetChecked(int32_t id, bool checked);
    bool IsChecked(int32_t id) const;
    void SetEnabled(int32_t id, bool enabled);
    bool IsEnabled(int32_t id) const;
    void SetRange(int32_t id, int32_t low, int32_t high);
    // Clamped into the range, as a track bar keeps it.
    void SetPosition(int32_t id, int32_t position);
    int32_t Position(int32_t id) const;
    void ClearItems(int32_t id);
    void AddItem(int32_t id, const std::string& text, int32_t itemData);
    // -1 (or any index past the items) selects nothing.
    void SetSelection(int32_t id, int32_t index);
    int32_t Selection(int32_t id) const;
    // The selected item's data, false with nothing selected.
    bool SelectedData(int32_t id, int32_t& itemData) const;

    // The text of a control from the user-interface table when the key is
    // present; the template's default stays otherwise. Id 0 is the caption.
    void SetTextFromTable(const ScreensaverApp& app, int32_t id, const char* key);

private:
    const platform::DialogControl* Find(int32_t id) const;
    platform::DialogControl* Find(int32_t id) { return data.Find(id); }

    platform::DialogTemplate data;
};
