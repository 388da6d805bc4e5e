#pragma once
#include <cstdint>
#include <memory>

#include "app/DialogModel.h"
#include "platform/DialogTypes.h"

class ScreensaverApp;

// The about box's logic: caption, credit lines and OK text from the
// user-interface table, the logo picture, and OK (or Escape) to close.
class AboutBox : public platform::DialogHandler
{
public:
    explicit AboutBox(const ScreensaverApp& app);

    DialogModel& Model() { return model; }

    platform::DialogTemplate& Controls() override { return model.Template(); }
    platform::DialogAction Command(int32_t id) override;
    void Scroll(int32_t) override {}
    const platform::DialogPicture* Picture(int32_t id) override;
    int32_t Result() const override { return result; }

private:
    DialogModel model = DialogModel::AboutTemplate();
    int32_t result = 0;
    std::unique_ptr<platform::DialogPicture> picture;  // decoded on first request
    bool pictureTried = false;
};

// The picture of that name from the mounted archives, decoded by the image
// codec its extension selects, as top-first RGB rows. False (logged) when
// it is missing or cannot be decoded.
bool LoadDialogPicture(const char* name, platform::DialogPicture& picture);
