// The configuration mode of ScreensaverApp: the settings dialog on the
// toolkit, started only here.
#include <cstdio>
#include <string>

#include "app/ScreensaverApp.h"
#include "app/SettingsDialog.h"
#include "engine/core/Log.h"
#include "engine/render/Renderer.h"
#include "platform/CodePage.h"
#include "platform/GtkDialog.h"

int32_t ScreensaverApp::RunConfiguration()
{
    std::string why;
    if (!platform::StartDialogToolkit(&why))
    {
        std::fprintf(stderr, "vernalia: the settings dialog needs an X display: %s\n", why.c_str());
        LogError("Невозможно открыть окно настроек: нет дисплея [%s].", platform::Utf8ToCp1251(why).c_str());
        return 1;
    }
    Renderer* renderer = GetRenderer();
    SettingsDialog dialog(*this, renderer ? &renderer->GetModes() : nullptr);
    dialog.Initialize();
    platform::DialogView view(dialog, parentWindow);
    return view.Run() == 0 ? 1 : 0;
}
