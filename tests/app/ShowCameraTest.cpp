// The show's first camera: the director's, a pinned one, or the scene's own.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "app/VernaliaScreensaver.h"
#include "engine/files/Directory.h"
#include "engine/files/FileManager.h"
#include "engine/files/ModuleManager.h"
#include "engine/files/VirtualFile.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/ScreensaverController.h"
#include "scene/SceneTestSupport.h"
#include "support/LogCapture.h"

TEST_F(SceneTest, TheShowTakesTheDirectorsCameraUnlessOneIsPinned)
{
    Module* module = nullptr;
    ASSERT_EQ(ModuleManager::LoadModule(String("STRSceneCodec"), &module), 0);
    const char* noDirector = "В сцене нет контроллера скринсейвера.";
    const struct
    {
        bool director; // one set, on the camera "shot"
        std::vector<const char*> cameras;
        const char *pinned, *expected, *warning;
    } rows[] = {
        {true, {"Camera"}, "", "shot", nullptr},
        {false, {"first", "Camera"}, "", "Camera", noDirector},
        {false, {"first", "second"}, "", "first", noDirector},
        {true, {"Camera"}, "Camera", "Camera", nullptr},
        {true, {"Camera"}, "nothing", "shot", "Камера [nothing] не найдена в сцене."},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.expected);
        Ptr<SceneNode> root = new SceneNode();
        for (const char* name : row.cameras)
            root->AttachChild(new Camera(String(name)));
        Ptr<ScreensaverController> director = new ScreensaverController();
        if (row.director)
        {
            root->AttachChild(new Camera(String("shot")));
            director->AddSet(static_cast<Camera*>(root->FindByName(String("shot"))), 0, 1);
            root->SetController(director.Get());
        }
        const std::string path = folder.Path() + "/Main.STR";
        File out{String(path.c_str())};
        ASSERT_EQ(codec.SaveScene(&out, root.Get()), 0);
        const Bytes bytes = ReadBytes(path);
        std::unique_ptr<uint8_t[]> data(new uint8_t[bytes.size()]);
        std::memcpy(data.get(), bytes.data(), bytes.size());
        std::unique_ptr<Directory> mount(new Directory(String("show"), FileManager::GetRoot()));
        mount->AddFile(new VirtualFile(String("Main.STR"), std::move(data), static_cast<uint32_t>(bytes.size())));

        Automation automation;
        automation.cameraName = row.pinned;
        VernaliaScreensaver app(String("vernalia /s"), automation);
        Recorder().SetCamera(nullptr);
        LogCapture capture;
        ASSERT_EQ(app.CreateSceneData(), 0);
        ASSERT_TRUE(Recorder().GetCamera());
        EXPECT_STREQ(Recorder().GetCamera()->GetName().CStr(), row.expected);
        std::vector<std::string> warnings;
        for (const LogCapture::Line& line : capture.Lines())
            if (line.level == kLogWarning)
                warnings.push_back(line.text);
        EXPECT_EQ(warnings, row.warning ? std::vector<std::string>{row.warning} : std::vector<std::string>{});
        ASSERT_EQ(app.GetScreensaverController() != nullptr, row.director);
        const bool switching = std::strcmp(row.expected, "shot") == 0;
        EXPECT_TRUE(!row.director || app.GetScreensaverController()->IsSwitchingCameras() == switching);
    }
}
