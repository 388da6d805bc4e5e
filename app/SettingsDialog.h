#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "app/DialogModel.h"
#include "engine/core/Array.h"
#include "engine/render/DisplayMode.h"
#include "platform/DialogTypes.h"

class ScreensaverApp;

// The settings dialog's logic: it edits the application's current settings
// in place as the user clicks, writes them only on OK, and passes every
// message but OK and Cancel on to the concrete screensaver, which handles
// its additional boxes. Toolkit-free; a view shows the model.
class SettingsDialog : public platform::DialogHandler
{
public:
    // The ids of the controls the logic reads or writes.
    enum Control : int32_t
    {
        kOk = 1,
        kCancel = 2,
        kModeList = 1011,
        kUseDesktop = 11012,
        kVolumeLabel = 11023,
        kVolume = 1020,
        kMusic = 1021,
        kSfx = 11022,
        kGammaLabel = 11106,
        kGammaValue = 11118,
        kGamma = 1046,
        kShowFps = 1044,
        kExitOnMouse = 1045,
        kShowTime = 1119,
        kHour24 = 1112,
        kHour12 = 1111,
        kPicture = 1036,
        kVisit = 1061,
        kAbout = 1062,
        kRestoreDefaults = 1063,
    };

    // modes is the renderer's list of video modes (borrowed; null lists none).
    SettingsDialog(ScreensaverApp& app, const Array<std::unique_ptr<DisplayMode>>* modes);

    // The dialog's opening: texts from the table, the init hook, the
    // settings into the controls, the additional boxes.
    void Initialize();

    // Puts the current settings into the controls (RefreshDialog).
    void Refresh();

    DialogModel& Model() { return model; }

    platform::DialogTemplate& Controls() override { return model.Template(); }
    platform::DialogAction Command(int32_t id) override;
    void Scroll(int32_t id) override;
    const platform::DialogPicture* Picture(int32_t id) override;
    std::string ActionText() const override { return actionText; }
    std::unique_ptr<platform::DialogHandler> AboutHandler() override;
    int32_t Result() const override { return result; }

private:
    // Volume bar and its label are usable while music or effects play.
    void EnableVolume();
    void ShowGamma();

    ScreensaverApp& app;
    const Array<std::unique_ptr<DisplayMode>>* modes;  // borrowed from the renderer
    DialogModel model = DialogModel::SettingsTemplate();
    std::string actionText;
    int32_t result = 0;
    std::unique_ptr<platform::DialogPicture> picture;  // decoded on first request
    bool pictureTried = false;
};
