#include "engine/files/File.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/files/Directory.h"
#include "support/Bytes.h"
#include "support/LogCapture.h"
#include "support/TemporaryFolder.h"

namespace
{

std::string ReadAll(File& file)
{
    std::string content(file.GetSize(), '\0');
    EXPECT_EQ(file.Read(content.data(), static_cast<uint32_t>(content.size())), 0);
    return content;
}

} // namespace

TEST(File, AppendAddsToTheEndAndWriteTruncates)
{
    TemporaryFolder folder;
    std::string path = folder.Path() + "/log.txt";
    WriteText(path, "abc");

    File file(String(path.c_str()));
    ASSERT_EQ(file.Open(File::kAppend), 0);
    ASSERT_EQ(file.Write("def", 3), 0);
    ASSERT_EQ(file.Close(), 0);
    EXPECT_EQ(ReadText(path), "abcdef");

    ASSERT_EQ(file.Open(File::kWrite), 0);
    ASSERT_EQ(file.Write("x", 1), 0);
    ASSERT_EQ(file.Close(), 0);
    EXPECT_EQ(ReadText(path), "x");

    // Any mode not listed opens like reading.
    ASSERT_EQ(file.Open(7), 0);
    EXPECT_EQ(ReadAll(file), "x");
}

TEST(File, ReopeningAnOpenFileWritesItOutFirst)
{
    TemporaryFolder folder;
    std::string path = folder.Path() + "/again.bin";
    File file(String(path.c_str()));
    ASSERT_EQ(file.Open(File::kWrite), 0);
    ASSERT_EQ(file.Write("hello", 5), 0);
    ASSERT_EQ(file.Open(File::kRead), 0);
    EXPECT_EQ(file.GetMode(), File::kRead);
    EXPECT_EQ(ReadAll(file), "hello");
}

TEST(File, ReadingAndWritingTheWrongWayFailsTheStreamForGood)
{
    TemporaryFolder folder;
    std::string path = folder.Path() + "/ways.bin";
    WriteText(path, "1234");
    struct Case
    {
        int32_t openMode; // -1: closed
        bool write;
        const char* line;
    };
    const Case cases[] = {
        {-1, false, "Чтение из закрытого файла [%s]."},
        {-1, true, "Запись в закрытый файл [%s]."},
        {File::kRead, true, "Запись в файл [%s], открытый для чтения."},
        {File::kAppend, false, "Чтение из файла [%s], открытого для записи."},
    };
    for (const Case& c : cases)
    {
        File file(String(path.c_str()));
        if (c.openMode >= 0)
        {
            ASSERT_EQ(file.Open(c.openMode), 0);
        }
        LogCapture capture;
        char byte = 0;
        EXPECT_EQ(c.write ? file.Write(&byte, 1) : file.Read(&byte, 1), 1) << c.line;
        std::string line = c.line;
        line.replace(line.find("%s"), 2, path);
        EXPECT_TRUE(capture.Contains(line.c_str())) << line;
        // Whatever direction the typed calls go, they report the failure.
        bool flag = false;
        String text;
        Object* object = nullptr;
        EXPECT_EQ(file.ReadBool(flag), 1) << c.line;
        EXPECT_EQ(file.ReadString(text), 1) << c.line;
        EXPECT_EQ(file.ReadLink(object), 1) << c.line;
        EXPECT_EQ(file.WriteString(String("x")), 1) << c.line;
        EXPECT_EQ(file.GetState(), 1) << c.line;
    }
    EXPECT_EQ(ReadText(path), "1234");
}

TEST(File, MissingDirectoryAndEmptyFilesOpenAsDescribed)
{
    TemporaryFolder folder;
    LogCapture capture;

    std::string missing = folder.Path() + "/missing.bin";
    File absent(String(missing.c_str()));
    EXPECT_EQ(absent.Open(File::kRead), 1);
    EXPECT_FALSE(absent.IsOpen());
    EXPECT_TRUE(capture.Contains(("Невозможно открыть файл [" + missing + "].").c_str()));
    EXPECT_EQ(absent.GetSize(), 0u);
    EXPECT_TRUE(capture.Contains(("Файл [" + missing + "] не может быть открыть для чтения.").c_str()));

    // A folder has no content to read in.
    File folderFile(String(folder.Path().c_str()));
    EXPECT_EQ(folderFile.Open(File::kRead), 1);
    EXPECT_FALSE(folderFile.IsOpen());

    std::string emptyPath = folder.Path() + "/empty.bin";
    WriteText(emptyPath, "");
    File empty(String(emptyPath.c_str()));
    ASSERT_EQ(empty.Open(File::kRead), 0);
    EXPECT_EQ(empty.GetSize(), 0u);
    EXPECT_EQ(empty.GetRemaining(), 0u);
}

TEST(File, ShortWriteKeepsTheFileOpenWithItsData)
{
    // The full device accepts the open and refuses every byte.
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    LogCapture capture;
    {
        File full(String("/dev/full"));
        ASSERT_EQ(full.Open(File::kWrite), 0);
        std::vector<uint8_t> bytes(256 * 1024, 0x5A);
        ASSERT_EQ(full.Write(bytes.data(), static_cast<uint32_t>(bytes.size())), 0);
        EXPECT_EQ(full.Close(), 1);
        EXPECT_TRUE(full.IsOpen());
        EXPECT_EQ(full.GetSize(), bytes.size());
        EXPECT_TRUE(capture.Contains("В файл [/dev/full] записаны не все данные."));
    } // destroyed while the last write failed: the handle and buffer still go
    EXPECT_TRUE(capture.Contains("Удаляется файл [/dev/full]."));
}

TEST(File, DiskPathUsesSlashesWhereTheTreeUsesBackslashes)
{
    TemporaryFolder folder;
    WriteText(folder.Path() + "/inside.txt", "found");

    // A directory named after a disk folder makes its files disk files.
    Directory disk(String(folder.Path().c_str()));
    File* inside = new File(String("inside.txt"));
    disk.AddFile(inside);
    EXPECT_EQ(inside->GetPath().View(), folder.Path() + "\\inside.txt");
    EXPECT_EQ(inside->GetSystemPath().View(), folder.Path() + "/inside.txt");
    ASSERT_EQ(inside->Open(File::kRead), 0);
    EXPECT_EQ(ReadAll(*inside), "found");
}
