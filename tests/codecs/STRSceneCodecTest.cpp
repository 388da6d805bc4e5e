#include "engine/codecs/STRSceneCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/files/File.h"
#include "support/Bytes.h"
#include "support/LogCapture.h"
#include "support/TemporaryFolder.h"
#include "support/TestNode.h"

namespace
{

class SceneFile : public ::testing::Test
{
protected:
    std::string PathOf(const char* name) const { return folder.Path() + "/" + name; }

    // A file that starts with the given version and holds one node.
    std::string WriteWithVersion(int32_t major, int32_t minor, int32_t patch)
    {
        std::string path = PathOf("versioned.STR");
        File file{String(path.c_str())};
        file.Open(File::kWrite);
        file.WriteInt32(major);
        file.WriteInt32(minor);
        file.WriteInt32(patch);
        Ptr<TestNode> node = new TestNode(String("root"));
        file.WriteLink(node.Get());
        EXPECT_EQ(file.Close(), 0);
        return path;
    }

    int32_t Load(const std::string& path, Ptr<Object>& root)
    {
        File file{String(path.c_str())};
        Object* loaded = nullptr;
        int32_t result = codec.LoadScene(&file, &loaded);
        root = loaded;
        return result;
    }

    TemporaryFolder folder;
    TestClasses classes;
    STRSceneCodec codec;
};

} // namespace

TEST_F(SceneFile, OlderVersionsAreRefusedAndNewerOnesRead)
{
    Ptr<Object> root;
    EXPECT_EQ(Load(WriteWithVersion(0, 1, 1), root), 1);
    EXPECT_FALSE(root);
    EXPECT_EQ(Load(WriteWithVersion(0, 1, 2), root), 0);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->GetName(), String("root"));
    EXPECT_EQ(Load(WriteWithVersion(1, 0, 0), root), 0);
    EXPECT_TRUE(root);
}

TEST_F(SceneFile, SavedSceneStartsWithTheVersionAndTheRootsTypeName)
{
    Ptr<TestNode> root = new TestNode(String("Root"));
    root->AddChild(new TestNode(String("child")));
    std::string path = PathOf("Main.STR");
    File file{String(path.c_str())};
    ASSERT_EQ(codec.SaveScene(&file, root.Get()), 0);

    Bytes bytes = ReadBytes(path);
    ASSERT_GT(bytes.size(), 32u);
    const std::vector<uint8_t> version = {0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 12), version);
    uint32_t id = bytes[12] | bytes[13] << 8 | bytes[14] << 16 | static_cast<uint32_t>(bytes[15]) << 24;
    EXPECT_EQ(id, root->GetID());
    EXPECT_EQ(bytes[16], 12); // "QRE.TestNode"
    EXPECT_EQ(std::string(bytes.begin() + 20, bytes.begin() + 32), "QRE.TestNode");

    Ptr<Object> loaded;
    ASSERT_EQ(Load(path, loaded), 0);
    TestNode* node = TestNode::Cast(loaded.Get());
    ASSERT_NE(node, nullptr);
    ASSERT_EQ(node->children.size(), 1u);
    EXPECT_EQ(node->children[0]->parent, node);
    // The loaded root is handed over with no reference but ours.
    EXPECT_EQ(loaded->GetRefCount(), 1);
}

TEST_F(SceneFile, FailedLoadLeavesNoObjectBehind)
{
    Ptr<TestNode> root = new TestNode(String("Root"));
    for (int i = 0; i < 5; ++i)
        root->AddChild(new TestNode(String("child")));
    std::string path = PathOf("cut.STR");
    File file{String(path.c_str())};
    ASSERT_EQ(codec.SaveScene(&file, root.Get()), 0);
    const int before = TestNode::live;

    // Cut the file short in the middle of the last child.
    Bytes bytes = ReadBytes(path);
    WriteBytes(path, Bytes(bytes.begin(), bytes.end() - 10));
    Ptr<Object> loaded;
    EXPECT_EQ(Load(path, loaded), 1);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(TestNode::live, before);
}

TEST_F(SceneFile, MissingArgumentsAndFilesFailCleanly)
{
    Object* root = nullptr;
    File file{String(PathOf("absent.STR").c_str())};
    EXPECT_EQ(codec.LoadScene(nullptr, &root), 3);
    EXPECT_EQ(codec.LoadScene(&file, nullptr), 3);
    EXPECT_EQ(codec.LoadScene(&file, &root), 1);
    EXPECT_EQ(codec.SaveScene(nullptr, root), 1);
    EXPECT_EQ(codec.SaveScene(&file, nullptr), 1);

    // A header cut short fails on the sticky state, not on the version.
    WriteText(PathOf("short.STR"), "ab");
    Ptr<Object> loaded;
    EXPECT_EQ(Load(PathOf("short.STR"), loaded), 1);
}
