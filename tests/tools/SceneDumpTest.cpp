#include "tools/qre/SceneDump.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/EngineClasses.h"
#include "engine/codecs/STRSceneCodec.h"
#include "engine/core/EngineStartup.h"
#include "engine/files/File.h"
#include "engine/image/Image.h"
#include "engine/render/CompositeTexture.h"
#include "engine/render/Texture.h"
#include "engine/scene/SceneNode.h"
#include "support/Bytes.h"
#include "support/TemporaryFolder.h"
#include "tools/qre/TextConversion.h"

namespace
{

// Runs `qre dump ARGUMENTS`; its exit code, stdout and stderr.
int RunDump(const std::string& arguments, std::string& out, std::string& errors)
{
    TemporaryFolder streams;
    const std::string command = std::string(QRE_BINARY) + " dump " + arguments + " >'" + streams.Path() +
                                "/out' 2>'" + streams.Path() + "/errors'";
    const int status = std::system(command.c_str());
    out = ReadText(streams.Path() + "/out");
    errors = ReadText(streams.Path() + "/errors");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class SceneDump : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterEngineClasses();
        ASSERT_EQ(InitializeEngine(), 0);
    }
    void TearDown() override { TerminateEngine(); }

    std::string Save(Object* root)
    {
        std::string path = folder.Path() + "/scene.STR";
        File file{String(path.c_str())};
        STRSceneCodec codec;
        EXPECT_EQ(codec.SaveScene(&file, root), 0);
        return path;
    }

    TemporaryFolder folder;
};

// Stands in a child's slot but writes another object's record there, so the
// file holds a link of another class where a node belongs.
class ForeignRecordInChildSlot : public Node
{
public:
    explicit ForeignRecordInChildSlot(Object* record) : record(record) {}
    const RTTI& GetRtti() const override { return record->GetRtti(); }
    int32_t Save(Stream& stream) override { return record->Save(stream); }

private:
    Ptr<Object> record;
};

} // namespace

// Records nest as the file nests them, a later link to an object read
// already is its ID. The loader lets the composite texture in a child's slot
// go (and its layers with it) when the load ends; the dump still names all of them and goes on
// to the next child. Its layers differ in size, which the load logs and puts
// up with: the tool prints that on stderr though the load succeeds.
TEST_F(SceneDump, ALinkOfTheWrongClassIsPrintedWithItsRecordAndTheLoadsComplaintsToo)
{
    Ptr<SceneNode> root = new SceneNode(String("Root"));
    Ptr<CompositeTexture> layers = new CompositeTexture(String("Layers"));
    Ptr<Texture> small = new Texture(String("small")), large = new Texture(String("large"));
    Ptr<Image> smallImage = new Image(String("2x2"), Image::kPixel24, 2, 2);
    Ptr<Image> largeImage = new Image(String("4x4"), Image::kPixel24, 4, 4);
    ASSERT_EQ(small->SetImage(smallImage.Get()), 0);
    ASSERT_EQ(large->SetImage(largeImage.Get()), 0);
    ASSERT_EQ(layers->AddTexture(small.Get()), 0);
    ASSERT_EQ(layers->AddTexture(large.Get()), 0);
    Ptr<Node> slot = new ForeignRecordInChildSlot(layers.Get());
    Ptr<Node> kept = new SceneNode(String("Kept"));
    ASSERT_EQ(root->AttachChild(slot.Get()), 0);
    ASSERT_EQ(root->AttachChild(kept.Get()), 0);
    const std::string path = Save(root.Get());

    DumpResult result;
    ASSERT_EQ(DumpScene(path, {}, result), 0);
    auto id = [](const Object* object) { return std::to_string(object->GetID()); };
    const std::string tree = id(root.Get()) + " QRE.SceneNode \"Root\"\n" +
                             "  " + id(slot.Get()) + " QRE.CompositeTexture \"Layers\"\n" +
                             "    " + id(small.Get()) + " QRE.Texture \"small\"\n" +
                             "      " + id(smallImage.Get()) + " QRE.Image \"2x2\"\n" +
                             "    " + id(large.Get()) + " QRE.Texture \"large\"\n" +
                             "      " + id(largeImage.Get()) + " QRE.Image \"4x4\"\n" +
                             "  " + id(kept.Get()) + " QRE.SceneNode \"Kept\"\n" +
                             "    -> " + id(root.Get()) + "\n";
    EXPECT_EQ(result.tree, tree);
    ASSERT_EQ(result.reasons.size(), 1u);
    const std::string complaint = "Размеры слоя [1] составной текстуры отличаются от первого. Имя[Layers]";
    EXPECT_EQ(result.reasons[0].rfind(complaint, 0), 0u) << result.reasons[0];

    std::string out, errors;
    ASSERT_EQ(RunDump("'" + path + "'", out, errors), 0) << errors;
    EXPECT_EQ(out, tree);
    EXPECT_EQ(errors.rfind("  " + Cp1251ToUtf8(complaint), 0), 0u) << errors;
}

// The shipped scene: from the mounted archive, and from disk with its
// pictures beside it, with the same tree and no complaint.
TEST(QreTool, DumpsTheBuiltSceneFromItsArchiveAndFromBesideItsPictures)
{
    const std::string generated = VERNALIA_GENERATED_DIR;
    std::string out, errors;
    ASSERT_EQ(RunDump("--archive '" + generated + "/archives/Media.rar2' Main.STR", out, errors), 0) << errors;
    EXPECT_EQ(errors, "");
    for (const char* line : {" QRE.Camera \"Camera\"\n", "\n              23 QRE.Texture1DLEffect \"Ground\"\n",
                             "\n                3 QRE.Texture \"meadow.jpg\"\n                  0 QRE.Image \"meadow.jpg\"\n",
                             "\n                    2 QRE.Image \"ribbon.jpg\"\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line;
    EXPECT_EQ(out.rfind("6 QRE.SceneNode \"Root\"\n", 0), 0u);

    std::string fromDisk;
    ASSERT_EQ(RunDump("'" + generated + "/Main.STR'", fromDisk, errors), 0) << errors;
    EXPECT_EQ(fromDisk, out);
}

TEST(QreTool, DumpsThatFailSayWhyOnStderrAndExitWithOne)
{
    TemporaryFolder folder;
    const std::string bad = folder.Path() + "/bad.STR";
    {
        std::ofstream out(bad, std::ios::binary);
        const int32_t header[] = {0, 1, 2, 5, 11};
        out.write(reinterpret_cast<const char*>(header), sizeof(header));
        out << "QRE.Unknown";
    }
    // The scene alone, away from its pictures.
    const std::string lone = folder.Path() + "/Main.STR";
    std::filesystem::copy_file(std::string(VERNALIA_GENERATED_DIR) + "/Main.STR", lone);

    const struct
    {
        std::string arguments;
        std::string said;
    } cases[] = {
        {bad, "RTTI[QRE.Unknown] ID[5]"},
        {folder.Path() + "/absent.STR", "qre: " + folder.Path() + "/absent.STR is neither a file nor in the archives"},
        {"--archive " + folder.Path() + "/absent.rar2 " + bad, "qre: " + folder.Path() + "/absent.rar2 does not mount"},
        {lone, "qre: " + lone + " does not load (missing picture brick.jpg)\n"},
    };
    for (const auto& c : cases)
    {
        std::string out, errors;
        EXPECT_EQ(RunDump(c.arguments, out, errors), 1) << c.arguments;
        EXPECT_NE(errors.find(c.said), std::string::npos) << errors;
        EXPECT_EQ(out, "") << c.arguments;
    }
}
