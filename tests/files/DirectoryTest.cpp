#include "engine/files/Directory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/files/File.h"
#include "support/LogCapture.h"

namespace
{

// The names of a directory's subdirectories (or, with files set, its files) in their order.
std::vector<std::string> Names(const Directory& directory, bool files = false)
{
    std::vector<std::string> names;
    for (uint32_t i = 0; i < (files ? directory.GetFileCount() : directory.GetDirectoryCount()); ++i)
        names.emplace_back(files ? directory.GetFile(i)->GetName().View() : directory.GetDirectory(i)->GetName().View());
    return names;
}

// Media.rar2
//   Textures\grass.jpg, Textures\Trees\bark.jpg, Textures\Trees\same.txt
//   Models\tree.str, Models\same.txt
struct MediaTree
{
    MediaTree()
    {
        models = new Directory(String("Models"), &archive);
        textures = new Directory(String("Textures"), &archive);
        trees = new Directory(String("Trees"), textures);
        grass = Add(textures, "grass.jpg");
        bark = Add(trees, "bark.jpg");
        deepSame = Add(trees, "same.txt");
        Add(models, "tree.str");
        shallowSame = Add(models, "same.txt");
    }

    static File* Add(Directory* directory, const char* name)
    {
        File* file = new File(String(name));
        directory->AddFile(file);
        return file;
    }

    Directory archive{String("Media.rar2")};
    Directory* models;
    Directory* textures;
    Directory* trees;
    File* grass;
    File* bark;
    File* deepSame;
    File* shallowSame;
};

} // namespace

TEST(Directory, OrdersChildrenByFirstByteAndLogsOnlyAppends)
{
    LogCapture capture;
    Directory root;
    for (const char* name : {"a", "b", "a2", "", "\xC0-cyrillic", "c", ""})
        ASSERT_EQ(root.AddDirectory(new Directory(String(name))), 0);

    // Larger first bytes first (signed, so bytes from 0x80 sort below
    // ASCII), equal first bytes in insertion order, empty names last.
    EXPECT_EQ(Names(root),
              (std::vector<std::string>{"c", "b", "a", "a2", "\xC0-cyrillic", "", ""}));
    EXPECT_TRUE(capture.Contains("Директория [a] добавлена к директории []."));
    EXPECT_TRUE(capture.Contains("Директория [a2] добавлена к директории []."));
    EXPECT_EQ(capture.Count("Директория [] добавлена к директории []."), 2u);
    EXPECT_FALSE(capture.Contains("Директория [b] добавлена"));
    EXPECT_FALSE(capture.Contains("Директория [c] добавлена"));
    EXPECT_FALSE(capture.Contains("-cyrillic] добавлена"));

    // Files follow the same order and the same rule for the log line.
    capture.Clear();
    for (const char* name : {"m.txt", "z.txt", "m2.txt"})
        ASSERT_EQ(root.AddFile(new File(String(name))), 0);
    EXPECT_EQ(Names(root, true), (std::vector<std::string>{"z.txt", "m.txt", "m2.txt"}));
    EXPECT_TRUE(capture.Contains("Файл [m.txt] добавлен к директории []."));
    EXPECT_TRUE(capture.Contains("Файл [m2.txt] добавлен к директории []."));
    EXPECT_FALSE(capture.Contains("Файл [z.txt] добавлен"));

    // Removal closes the gap and keeps the order.
    Directory* b = root.GetDirectory(1);
    ASSERT_EQ(root.RemoveDirectory(b), 0);
    EXPECT_EQ(b->GetParent(), nullptr);
    EXPECT_TRUE(capture.Contains("Директория [b] удалена из директории []."));
    delete b;
    EXPECT_EQ(Names(root), (std::vector<std::string>{"c", "a", "a2", "\xC0-cyrillic", "", ""}));
}

TEST(Directory, RefusesNullDuplicateMissingAndCyclicChildren)
{
    LogCapture capture;
    Directory root(String("Root"));
    Directory* child = new Directory(String("Child"), &root);
    Directory* grandchild = new Directory(String("Grandchild"), child);
    File* file = new File(String("f.bin"));
    ASSERT_EQ(child->AddFile(file), 0);

    // Each refusal gives 3 and its own line.
    const std::pair<int32_t, const char*> refusals[] = {
        {root.AddDirectory(nullptr), "Указатель на присоединяемую директорию равен 0. Корневая директория [Root]."},
        {root.AddFile(nullptr), "Указатель на присоединяемый файл равен 0. Корневая директория [Root]."},
        {root.AddDirectory(child), "Присоединяемая директория [Child] уже присоединена к директории [Root]."},
        {child->AddFile(file), "Присоединяемый файл [f.bin] уже присоединена к директории [Child]."},
        {root.RemoveDirectory(nullptr), "Указатель на отсоединяемую директорию равен 0. Корневая директория [Root]."},
        {root.RemoveFile(nullptr), "Указатель на отсоединяемый файл равен 0. Корневая директория [Root]."},
        {root.RemoveDirectory(grandchild), "Удаляемая директория [Grandchild] не найдена в директории [Root]."},
        {root.RemoveFile(file), "Удаляемый файл [f.bin] не найден в директории [Root]."},
    };
    for (const auto& [result, line] : refusals)
    {
        EXPECT_EQ(result, 3) << line;
        EXPECT_TRUE(capture.Contains(line)) << line;
    }

    // A directory cannot hold itself or an ancestor: the tree would never end.
    EXPECT_EQ(grandchild->AddDirectory(&root), 3);
    EXPECT_EQ(grandchild->AddDirectory(child), 3);
    EXPECT_EQ(child->AddDirectory(child), 3);
    EXPECT_EQ(child->GetParent(), &root);
    EXPECT_EQ(grandchild->GetParent(), child);

    // Adding a child of another directory moves it: one owner at a time.
    ASSERT_EQ(root.AddDirectory(grandchild), 0);
    EXPECT_EQ(child->GetDirectoryCount(), 0u);
    EXPECT_EQ(grandchild->GetParent(), &root);
    ASSERT_EQ(root.AddFile(file), 0);
    EXPECT_EQ(child->GetFileCount(), 0u);
    EXPECT_EQ(file->GetDirectory(), &root);
}

TEST(Directory, FullPathsJoinNamedAncestorsWithBackslashes)
{
    Directory root;
    Directory* textures = new Directory(String("Textures"), &root);
    Directory* trees = new Directory(String("Trees"), textures);
    File* bark = new File(String("bark.jpg"));
    trees->AddFile(bark);

    EXPECT_EQ(root.GetFullPath(), "");
    EXPECT_EQ(textures->GetFullPath(), "Textures\\");
    EXPECT_EQ(trees->GetFullPath(), "Textures\\Trees\\");
    EXPECT_EQ(bark->GetPath(), "Textures\\Trees\\bark.jpg");

    // The cached paths follow a move of any ancestor.
    Directory other(String("Other"));
    ASSERT_EQ(other.AddDirectory(textures), 0);
    EXPECT_EQ(trees->GetFullPath(), "Other\\Textures\\Trees\\");
    EXPECT_EQ(bark->GetPath(), "Other\\Textures\\Trees\\bark.jpg");

    // An unnamed directory has an empty full path, so what is below it
    // starts afresh.
    Directory* unnamed = new Directory(String(), trees);
    Directory* leaf = new Directory(String("Leaf"), unnamed);
    EXPECT_EQ(unnamed->GetFullPath(), "");
    EXPECT_EQ(leaf->GetFullPath(), "Leaf\\");

    // A file on its own is just its name.
    File alone(String("alone.txt"));
    EXPECT_EQ(alone.GetPath(), "alone.txt");
}

TEST(Directory, FindsTheSameFileByBackslashSlashAndBareName)
{
    MediaTree tree;
    Directory& media = tree.archive;

    EXPECT_EQ(media.FindFile(String("Textures\\grass.jpg")), tree.grass);
    EXPECT_EQ(media.FindFile(String("Textures/grass.jpg")), tree.grass);
    EXPECT_EQ(media.FindFile(String("grass.jpg")), tree.grass);
    EXPECT_EQ(media.FindFile(String("Textures\\Trees\\bark.jpg")), tree.bark);
    EXPECT_EQ(media.FindFile(String("Textures/Trees/bark.jpg")), tree.bark);
    EXPECT_EQ(media.FindFile(String("bark.jpg")), tree.bark);

    // Leading separators, "." and ".." step through the tree.
    EXPECT_EQ(media.FindFile(String("\\Textures\\grass.jpg")), tree.grass);
    EXPECT_EQ(media.FindFile(String("/Textures/grass.jpg")), tree.grass);
    EXPECT_EQ(media.FindFile(String(".\\Textures\\Trees\\..\\grass.jpg")), tree.grass);
    EXPECT_EQ(media.FindFile(String("Models\\..\\Textures\\.\\Trees\\bark.jpg")), tree.bark);
    EXPECT_EQ(tree.trees->FindFile(String("..\\grass.jpg")), tree.grass);
    EXPECT_EQ(media.FindFile(String("..\\Media.rar2\\grass.jpg")), nullptr);

    // A path with a backslash splits only there; "/" is then part of a name.
    EXPECT_EQ(media.FindFile(String("Textures/Trees\\bark.jpg")), tree.bark);
    EXPECT_EQ(media.FindFile(String("Textures\\Trees/bark.jpg")), nullptr);

    // With a directory part the file must be in that directory.
    EXPECT_EQ(media.FindFile(String("Textures\\bark.jpg")), nullptr);
    EXPECT_EQ(media.FindFile(String("Nowhere\\grass.jpg")), nullptr);
    EXPECT_EQ(media.FindFile(String("Textures\\")), nullptr);
    EXPECT_EQ(media.FindFile(String("grass.JPG")), nullptr);
    EXPECT_EQ(media.FindFile(String("")), nullptr);

    // A bare name is searched depth first, children in their order
    // (Textures before Models), so the deeper file wins over the shallower.
    EXPECT_EQ(media.FindFile(String("same.txt")), tree.deepSame);
    EXPECT_EQ(media.FindFile(String("Models\\same.txt")), tree.shallowSame);
}

TEST(Directory, FindDirectoryResolvesItselfDotsAndComponents)
{
    MediaTree tree;
    Directory& media = tree.archive;

    EXPECT_EQ(media.FindDirectory(String("")), &media);
    EXPECT_EQ(media.FindDirectory(String(".")), &media);
    EXPECT_EQ(media.FindDirectory(String("Media.rar2")), &media);
    EXPECT_EQ(media.FindDirectory(String("Textures\\Trees")), tree.trees);
    EXPECT_EQ(media.FindDirectory(String("Textures/Trees/")), tree.trees);
    EXPECT_EQ(media.FindDirectory(String("\\\\Textures\\\\Trees")), tree.trees);
    EXPECT_EQ(tree.trees->FindDirectory(String("..\\..\\Models")), tree.models);
    EXPECT_EQ(media.FindDirectory(String("..")), nullptr);
    EXPECT_EQ(media.FindDirectory(String("Textures\\Missing")), nullptr);
    EXPECT_EQ(media.FindDirectory(String("textures")), nullptr);
}

TEST(Directory, DestroysItsTreeAndDetachesFromItsParent)
{
    LogCapture capture;
    Directory root(String("Root"));
    Directory* child = new Directory(String("Child"), &root);
    Directory* inner = new Directory(String("Inner"), child);
    inner->AddFile(new File(String("deep.bin")));
    child->AddFile(new File(String("shallow.bin")));

    // A file destroyed on its own leaves its directory.
    File* loose = new File(String("loose.bin"));
    root.AddFile(loose);
    delete loose;
    EXPECT_EQ(root.GetFileCount(), 0u);
    EXPECT_TRUE(capture.Contains("Удаляется файл [Root\\loose.bin]."));
    EXPECT_TRUE(capture.Contains("Файл [loose.bin] удалён из директории [Root]."));

    Directory* sibling = new Directory(String("Sibling"), child);
    sibling->AddFile(new File(String("last.bin")));
    capture.Clear();
    delete child;
    EXPECT_EQ(root.GetDirectoryCount(), 0u);
    // Each directory's line, then its subdirectories (in their own order,
    // newest first), then its files, then its end line; children were cut loose first, so none detached itself.
    std::vector<std::string> lines;
    for (const auto& line : capture.Lines())
        lines.push_back(line.text);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Удаляется директория [Child].",
                         "Директория [Child] удалена из директории [Root].",
                         "Удаляется директория [Sibling].",
                         "Удаляется файл [last.bin].",
                         "Директория удалена [Sibling].",
                         "Удаляется директория [Inner].",
                         "Удаляется файл [deep.bin].",
                         "Директория удалена [Inner].",
                         "Удаляется файл [shallow.bin].",
                         "Директория удалена [Child].",
                     }));
}

TEST(Directory, ToleratesAnyNamesAndVeryDeepTrees)
{
    // Names come from archives: empty, huge, or odd bytes must not matter.
    Directory root;
    std::string huge(100000, 'x');
    Directory* big = new Directory(String(std::string_view(huge)), &root);
    File* odd = new File(String("\xFF\x01\\/."));
    big->AddFile(odd);
    EXPECT_EQ(big->GetFullPath().Length(), huge.size() + 1);
    EXPECT_EQ(root.FindFile(String("\xFF\x01\\/.")), nullptr); // splits at the backslash
    EXPECT_EQ(root.FindDirectory(String(std::string_view(huge))), big);
    EXPECT_EQ(odd->GetExtension(), "");
    new Directory(String(), big);
    EXPECT_EQ(root.FindFile(String("missing")), nullptr);

    // A chain far deeper than the call stack could follow recursively.
    Directory* deep = new Directory(String("deep"));
    Directory* at = deep;
    for (int i = 0; i < 200000; ++i)
        at = new Directory(String("d"), at);
    File* bottom = new File(String("bottom.txt"));
    at->AddFile(bottom);
    EXPECT_EQ(deep->FindFile(String("bottom.txt")), bottom);
    EXPECT_EQ(bottom->GetPath().Length(), std::string("deep\\").size() + 200000 * 2 + std::string("bottom.txt").size());
    delete deep;
}
