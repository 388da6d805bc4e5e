#include "engine/files/VirtualFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "engine/core/Ptr.h"
#include "engine/files/Directory.h"
#include "engine/files/StaticModule.h"
#include "support/LogCapture.h"

namespace
{

int moduleShutdowns = 0;

int32_t CountModuleShutdown()
{
    ++moduleShutdowns;
    return 0;
}

std::unique_ptr<uint8_t[]> Copy(const char* text)
{
    size_t length = std::strlen(text);
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[length]);
    std::memcpy(bytes.get(), text, length);
    return bytes;
}

} // namespace

TEST(VirtualFile, OpensOnlyForReadingAndHandsOutACopy)
{
    LogCapture capture;
    Directory pack(String("Pack"));
    VirtualFile* note = new VirtualFile(String("note.txt"), Copy("hello"), 5);
    pack.AddFile(note);

    EXPECT_EQ(note->GetSize(), 5u); // closed: measured by opening
    EXPECT_FALSE(note->IsOpen());

    capture.Clear();
    EXPECT_EQ(note->Open(File::kWrite), 1);
    EXPECT_EQ(note->Open(File::kAppend), 1);
    EXPECT_FALSE(note->IsOpen());
    EXPECT_TRUE(capture.Lines().empty()); // refused without a word

    ASSERT_EQ(note->Open(File::kRead), 0);
    char text[5] = {};
    ASSERT_EQ(note->Read(text, 5), 0);
    EXPECT_EQ(std::string(text, 5), "hello");

    // Reopening starts over from the untouched content.
    ASSERT_EQ(note->Open(File::kRead), 0);
    EXPECT_EQ(note->GetPosition(), 0u);
    ASSERT_EQ(note->Read(text, 5), 0);
    EXPECT_EQ(std::string(text, 5), "hello");
    ASSERT_EQ(note->Close(), 0);
    EXPECT_EQ(note->GetBuffer(), nullptr); // the copy is gone, the content stays
    EXPECT_EQ(std::memcmp(note->GetData(), "hello", 5), 0);
    EXPECT_EQ(note->Read(text, 1), 1);
    ASSERT_EQ(note->Open(File::kRead), 0);
    EXPECT_EQ(note->Write("x", 1), 1);
    EXPECT_EQ(std::memcmp(note->GetData(), "hello", 5), 0);
}

TEST(VirtualFile, NoContentCannotBeOpenedButAnEmptyMemberCan)
{
    VirtualFile none(String("none"), std::unique_ptr<uint8_t[]>(), 12);
    EXPECT_EQ(none.GetDataSize(), 0u);
    EXPECT_EQ(none.Open(File::kRead), 1);
    EXPECT_FALSE(none.IsOpen());

    VirtualFile empty(String("empty"), std::unique_ptr<uint8_t[]>(new uint8_t[0]), 0);
    ASSERT_EQ(empty.Open(File::kRead), 0);
    EXPECT_EQ(empty.GetSize(), 0u);
    EXPECT_EQ(empty.GetRemaining(), 0u);
}

TEST(VirtualFile, KeepsItsOwnerModuleLoadedUntilDestroyed)
{
    moduleShutdowns = 0;
    Ptr<StaticModule> module = new StaticModule(String("Owner"));
    module->AddFunction(String("Shutdown"), &CountModuleShutdown);
    VirtualFile* file = new VirtualFile(String("member.bin"), Copy("abc"), 3, module.Get());
    EXPECT_EQ(file->GetOwner(), module.Get());
    module = nullptr;
    EXPECT_EQ(moduleShutdowns, 0);
    delete file;
    EXPECT_EQ(moduleShutdowns, 1);
}

TEST(VirtualFile, BorrowedDataIsLeftToItsOwner)
{
    static const uint8_t borrowed[4] = {1, 2, 3, 4};
    {
        VirtualFile file(String("borrowed.bin"), borrowed, 4);
        ASSERT_EQ(file.Open(File::kRead), 0);
        EXPECT_EQ(file.GetSize(), 4u);
        EXPECT_EQ(file.GetData(), borrowed);
    } // deleting the static array would crash or be reported here
    EXPECT_EQ(borrowed[3], 4);
}
