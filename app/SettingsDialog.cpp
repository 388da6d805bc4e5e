#include "app/SettingsDialog.h"

#include <cstdio>

#include "app/AboutBox.h"
#include "app/ScreensaverApp.h"
#include "platform/CodePage.h"

namespace
{

// Controls whose text the table may replace, with their keys.
struct TextKey
{
    int32_t id;
    const char* key;
};

constexpr TextKey kTextKeys[] = {
    {0, "Mes_Settings_Title"},
    {SettingsDialog::kOk, "Mes_Button_OK"},
    {SettingsDialog::kCancel, "Mes_Button_Cancel"},
    {SettingsDialog::kUseDesktop, "Mes_Settings_UseDesktop"},
    {1016, "Mes_Settings_Box_Mode"},
    {11017, "Mes_Settings_Box_Sound"},
    {21018, "Mes_Settings_Box_Graphics"},
    {1022, "Mes_Settings_Box_Products"},
    {11019, "Mes_Settings_Box_Misc"},
    {SettingsDialog::kVolumeLabel, "Mes_Settings_MusicVolume"},
    {SettingsDialog::kMusic, "Mes_Settings_EnableMusic"},
    {SettingsDialog::kSfx, "Mes_Settings_EnableSound"},
    {SettingsDialog::kExitOnMouse, "Mes_Settings_ExitOnMouse"},
    {SettingsDialog::kShowFps, "Mes_Settings_ShowFPS"},
    {SettingsDialog::kGammaLabel, "Mes_Settings_Gamma"},
    {SettingsDialog::kShowTime, "Mes_Settings_ShowTime"},
    {SettingsDialog::kHour24, "Mes_Settings_24h"},
    {SettingsDialog::kHour12, "Mes_Settings_12h"},
    {1025, "Mes_Settings_Products"},
    {SettingsDialog::kAbout, "Mes_Settings_Button_About"},
    {SettingsDialog::kRestoreDefaults, "Mes_Settings_Button_RestoreDefs"},
    {SettingsDialog::kVisit, "Mes_Settings_Button_Visit"},
};

// The smallest full-screen mode the list offers.
constexpr int32_t kMinWidth = 640;
constexpr int32_t kMinHeight = 480;

} // namespace

SettingsDialog::SettingsDialog(ScreensaverApp& app, const Array<std::unique_ptr<DisplayMode>>* modes)
    : app(app), modes(modes)
{
}

void SettingsDialog::Initialize()
{
    for (const TextKey& entry : kTextKeys)
        model.SetTextFromTable(app, entry.id, entry.key);
    app.DialogInitHook(model);
    Refresh();
    app.ShowExtraSettings(model);
    app.ExtraDialogMessage(model, DialogMessage::Init, 0);
}

void SettingsDialog::ShowGamma()
{
    char text[32];
    std::snprintf(text, sizeof text, "%d%s", app.GetCurrent().gamma + 100, "%");
    model.SetText(kGammaValue, text);
}

void SettingsDialog::EnableVolume()
{
    const bool sound = app.GetCurrent().music || app.GetCurrent().sfx;
    model.SetEnabled(kVolume, sound);
    model.SetEnabled(kVolumeLabel, sound);
}

void SettingsDialog::Refresh()
{
    const Settings& current = app.GetCurrent();
    model.SetRange(kGamma, -100, 100);
    model.SetPosition(kGamma, current.gamma);
    ShowGamma();
    model.SetRange(kVolume, 0, 100);
    model.SetPosition(kVolume, current.volume);

    model.SetChecked(kUseDesktop, current.useDesktopSettings);
    model.SetChecked(kMusic, current.music);
    model.SetChecked(kSfx, current.sfx);
    model.SetChecked(kShowFps, current.showFps);
    model.SetChecked(kExitOnMouse, current.exitOnMouseMove);
    model.SetChecked(kShowTime, current.showTime);
    model.SetChecked(kHour24, current.hour24);
    model.SetChecked(kHour12, !current.hour24);
    model.SetEnabled(kHour24, current.showTime);
    model.SetEnabled(kHour12, current.showTime);
    EnableVolume();

    model.SetEnabled(kModeList, !current.useDesktopSettings);
    model.ClearItems(kModeList);
    if (!modes)
        return;
    for (uint32_t i = 0; i < modes->Count(); ++i)
    {
        const DisplayMode& mode = *(*modes)[i];
        if (!mode.fullScreen || mode.width < kMinWidth || mode.height < kMinHeight)
            continue;
        char text[64];
        std::snprintf(text, sizeof text, "%dx%dx%dbits", mode.width, mode.height, mode.colorBits);
        model.AddItem(kModeList, text, static_cast<int32_t>(i));
        if (mode.width == current.width && mode.height == current.height && mode.colorBits == current.colorDepth)
            model.SetSelection(kModeList, static_cast<int32_t>(model.Template().Find(kModeList)->items.size() - 1));
    }
}

platform::DialogAction SettingsDialog::Command(int32_t id)
{
    Settings& current = app.GetCurrent();
    platform::DialogAction action = platform::DialogAction::Continue;
    switch (id)
    {
    case kOk:
    {
        int32_t index = -1;
        if (model.SelectedData(kModeList, index) && modes && index >= 0 && static_cast<uint32_t>(index) < modes->Count())
        {
            const DisplayMode& mode = *(*modes)[static_cast<uint32_t>(index)];
            current.width = mode.width;
            current.height = mode.height;
            current.colorDepth = mode.colorBits;
        }
        if (app.WriteSettings() != 0)
        {
            // The user keeps the dialog and the choices, and learns why.
            actionText = platform::Utf8ToCp1251(app.GetStoreError());
            return platform::DialogAction::ShowMessage;
        }
        result = 1;
        return platform::DialogAction::End;
    }
    case kCancel:
        result = 2;
        return platform::DialogAction::End;
    case kMusic:
        current.music = model.IsChecked(kMusic);
        EnableVolume();
        break;
    case kSfx:
        current.sfx = model.IsChecked(kSfx);
        EnableVolume();
        break;
    case kShowFps:
        current.showFps = model.IsChecked(kShowFps);
        break;
    case kExitOnMouse:
        current.exitOnMouseMove = model.IsChecked(kExitOnMouse);
        break;
    case kShowTime:
        current.showTime = model.IsChecked(kShowTime);
        model.SetEnabled(kHour24, current.showTime);
        model.SetEnabled(kHour12, current.showTime);
        break;
    case kHour24:
        current.hour24 = model.IsChecked(kHour24);
        break;
    case kHour12:
        current.hour24 = !model.IsChecked(kHour12);
        break;
    case kUseDesktop:
        current.useDesktopSettings = model.IsChecked(kUseDesktop);
        model.SetEnabled(kModeList, !current.useDesktopSettings);
        break;
    case kAbout:
        action = platform::DialogAction::ShowAbout;
        break;
    case kRestoreDefaults:
        app.ApplyDefaults();
        Refresh();
        // The additional boxes show their defaults too, as OK would write them.
        app.ShowExtraSettings(model);
        break;
    case kVisit:
        actionText = app.GetWebSiteUrl().CStr();
        action = platform::DialogAction::OpenAddress;
        break;
    default:
        break;
    }
    app.ExtraDialogMessage(model, DialogMessage::Command, id);
    return action;
}

void SettingsDialog::Scroll(int32_t id)
{
    if (id == kVolume)
        app.GetCurrent().volume = model.Position(kVolume);
    if (id == kGamma)
    {
        app.GetCurrent().gamma = model.Position(kGamma);
        ShowGamma();
    }
    app.ExtraDialogMessage(model, DialogMessage::Scroll, id);
}

const platform::DialogPicture* SettingsDialog::Picture(int32_t id)
{
    if (id != kPicture)
        return nullptr;
    if (!pictureTried)
    {
        pictureTried = true;
        auto loaded = std::make_unique<platform::DialogPicture>();
        if (LoadDialogPicture("settings.bmp", *loaded))
            picture = std::move(loaded);
    }
    return picture.get();
}

std::unique_ptr<platform::DialogHandler> SettingsDialog::AboutHandler()
{
    return std::make_unique<AboutBox>(app);
}
