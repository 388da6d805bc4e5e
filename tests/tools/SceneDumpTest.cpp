#include "tools/qre/SceneDump.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "engine/EngineClasses.h"
#include "engine/codecs/STRSceneCodec.h"
#include "engine/core/EngineStartup.h"
#include "engine/files/File.h"
#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"
#include "support/TestNode.h"

namespace
{

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

} // namespace

TEST_F(SceneDump, PrintsTheGraphAsTheFileNestsItWithLaterReferencesAsIds)
{
    TestClasses classes;
    Ptr<TestNode> root = new TestNode(String("Root"));
    Ptr<TestNode> a = new TestNode(String("a"));
    Ptr<TestNode> b = new TestNode(String("b"));
    Ptr<TestNode> shared = new TestNode(String("shared"));
    root->AddChild(a.Get());
    root->AddChild(b.Get());
    a->shared = shared.Get();
    b->shared = shared.Get();
    std::string path = Save(root.Get());

    std::string out;
    std::vector<std::string> reasons;
    ASSERT_EQ(DumpScene(path, out, reasons), 0);
    const std::string r = std::to_string(root->GetID()), ia = std::to_string(a->GetID()),
                      ib = std::to_string(b->GetID()), is = std::to_string(shared->GetID());
    // a: its parent (a reference), its shared object (a record); b likewise
    // but the shared object is now a reference.
    EXPECT_EQ(out, r + " QRE.TestNode \"Root\"\n" +
                   "  " + ia + " QRE.TestNode \"a\"\n" +
                   "    -> " + r + "\n" +
                   "    " + is + " QRE.TestNode \"shared\"\n" +
                   "  " + ib + " QRE.TestNode \"b\"\n" +
                   "    -> " + r + "\n" +
                   "    -> " + is + "\n");
}

TEST(QreTool, DumpOfAFileItCannotReadExitsWithTheReason)
{
    TemporaryFolder folder;
    std::string path = folder.Path() + "/bad.STR";
    {
        std::ofstream out(path, std::ios::binary);
        const int32_t header[] = {0, 1, 2, 5, 11};
        out.write(reinterpret_cast<const char*>(header), sizeof(header));
        out << "QRE.Unknown";
    }
    std::string errors = folder.Path() + "/errors.txt";
    std::string command = std::string(QRE_BINARY) + " dump '" + path + "' 2>'" + errors + "' >/dev/null";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::ifstream in(errors);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("RTTI[QRE.Unknown] ID[5]"), std::string::npos) << text;

    command = std::string(QRE_BINARY) + " dump '" + folder.Path() + "/absent.STR' 2>/dev/null";
    status = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1);
}
