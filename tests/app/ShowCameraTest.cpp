// Which camera the show starts with: the director's, a pinned one, or the
// scene's own when it has no director.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
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
    const struct
    {
        bool director; // with one set, on the camera "shot"
        std::vector<const char*> cameras;
        const char* pinned;
        const char* expected;
        const char* warning; // the one warning, or null
    } rows[] = {
        {true, {"Camera"}, "", "shot", nullptr},
        {false, {"first", "Camera"}, "", "Camera", "В сцене нет контроллера скринсейвера."},
        {false, {"first", "second"}, "", "first", "В сцене нет контроллера скринсейвера."},
        {true, {"Camera"}, "Camera", "Camera", nullptr},
        {true, {"Camera"}, "nothing", "shot", "Камера [nothing] не найдена в сцене."},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.expected);
        Ptr<SceneNode> root = new SceneNode();
        for (const char* name : row.cameras)
            root->AttachChild(new Camera(String(name)));
        if (row.director)
        {
            Ptr<Camera> shot = new Camera(String("shot"));
            root->AttachChild(shot.Get());
            Ptr<ScreensaverController> director = new ScreensaverController();
            director->AddSet(shot.Get(), 0, 1);
            root->SetController(director.Get());
        }
        const std::string path = folder.Path() + "/Main.STR";
        File out{String(path.c_str())};
        ASSERT_EQ(codec.SaveScene(&out, root.Get()), 0);
        const Bytes bytes = ReadBytes(path);
        std::unique_ptr<uint8_t[]> data(new uint8_t[bytes.size()]);
        std::memcpy(data.get(), bytes.data(), bytes.size());
        auto* mount = new Directory(String("show"), FileManager::GetRoot());
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
        if (row.director)
        {
            EXPECT_EQ(app.GetScreensaverController()->IsSwitchingCameras(), std::strcmp(row.expected, "shot") == 0);
        }
        delete mount;
    }
}
