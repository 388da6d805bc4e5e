// The settings dialog's part of the spring show: its seven additional check
// boxes, their texts and their settings.
#include "app/DialogModel.h"
#include "app/VernaliaScreensaver.h"

namespace
{

// Each additional setting's box and the table key of its text.
struct ExtraBox
{
    int32_t id;
    VernaliaScreensaver::Extra setting;
    const char* key;
};

constexpr ExtraBox kExtraBoxes[] = {
    {1047, VernaliaScreensaver::kShowInformation, "Mes_Settings_Information"},
    {1048, VernaliaScreensaver::kShowNews, "Mes_Settings_News"},
    {1049, VernaliaScreensaver::kShowQuotes, "Mes_Settings_Quotes"},
    {1050, VernaliaScreensaver::kFur, "Mes_Settings_Fur"},
    {1053, VernaliaScreensaver::kShadows, "Mes_Settings_Shadows"},
    {1054, VernaliaScreensaver::kBloom, "Mes_Settings_Bloom"},
    {1055, VernaliaScreensaver::kWidescreen, "Mes_Settings_Widescreen"},
};

} // namespace

void VernaliaScreensaver::ExtraDialogMessage(DialogModel& dialog, DialogMessage message, int32_t id)
{
    if (message == DialogMessage::Init)
    {
        dialog.SetTextFromTable(*this, 1026, "Mes_Settings_AdditionalInformation");
        for (const ExtraBox& box : kExtraBoxes)
            dialog.SetTextFromTable(*this, box.id, box.key);
        return;
    }
    if (message != DialogMessage::Command)
        return;
    for (const ExtraBox& box : kExtraBoxes)
        if (box.id == id)
            extraCurrent[box.setting] = dialog.IsChecked(id);
}

void VernaliaScreensaver::ShowExtraSettings(DialogModel& dialog)
{
    for (const ExtraBox& box : kExtraBoxes)
        dialog.SetChecked(box.id, extraCurrent[box.setting]);
}

int32_t VernaliaScreensaver::DialogInitHook(DialogModel&)
{
    return 0;
}
