// qre pack, list and extract as the build and a developer run them.
#include "tools/qre/ArchiveCommands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"

namespace
{

class ArchiveCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        base = folder.Path() + "/content";
        Write("README.txt", "placeholder");
        Write("Textures/grass.jpg", std::string(5000, 'g'));
        Write("Textures/Trees/oak.tga", "oak");
        Write("Sounds/empty.ogg", "");
        Write(folder.Path() + "/generated/Main.STR", "scene", true);
    }

    void Write(const std::string& name, const std::string& content, bool absolute = false)
    {
        std::filesystem::path path = absolute ? name : base + "/" + name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }

    // Runs qre with the arguments; its standard output lands in Output().
    int Qre(std::vector<std::string> arguments)
    {
        std::string command = "'" QRE_BINARY "'";
        for (const std::string& argument : arguments)
            command += " '" + argument + "'";
        command += " > '" + folder.Path() + "/stdout.txt' 2> '" + folder.Path() + "/stderr.txt'";
        return RunProgram({"/bin/sh", "-c", command}, {}).Run();
    }

    std::string Output() const { return Read(folder.Path() + "/stdout.txt"); }
    std::string Errors() const { return Read(folder.Path() + "/stderr.txt"); }

    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    TemporaryFolder folder;
    std::string base;
};

} // namespace

TEST_F(ArchiveCommands, PackListsFoldersBeforeTheirMembersAndExtractsEach)
{
    std::string archive = folder.Path() + "/Media.rar2";
    ASSERT_EQ(Qre({"pack", "--add", "Main.STR", folder.Path() + "/generated/Main.STR", archive, base}), 0) << Errors();
    ASSERT_EQ(Qre({"list", archive}), 0);
    // Name, unpacked size, packed size, method, version, CRC, marks; only
    // the packed size of the compressed member is left open.
    std::string listing = Output();
    size_t grass = listing.find("Textures\\grass.jpg 5000 ");
    ASSERT_NE(grass, std::string::npos) << listing;
    std::string packed = listing.substr(grass + 24, listing.find(' ', grass + 24) - grass - 24);
    EXPECT_LT(std::stoul(packed), 100u);
    EXPECT_EQ(listing, "Sounds 0 0 0x30 20 00000000 dir\n"
                       "Textures 0 0 0x30 20 00000000 dir\n"
                       "Textures\\Trees 0 0 0x30 20 00000000 dir\n"
                       "README.txt 11 11 0x30 20 F5E69F02\n"
                       "Sounds\\empty.ogg 0 0 0x30 20 00000000\n"
                       "Textures\\Trees\\oak.tga 3 3 0x30 20 1A4CB739\n"
                       "Textures\\grass.jpg 5000 " +
                           packed +
                           " 0x33 20 AF4FFC23\n"
                           "Main.STR 5 5 0x30 20 D979EFDA\n");

    std::string out = folder.Path() + "/grass.out";
    ASSERT_EQ(Qre({"extract", archive, "textures/GRASS.JPG", "-o", out}), 0) << Errors();
    EXPECT_EQ(Read(out), std::string(5000, 'g'));
    ASSERT_EQ(Qre({"extract", archive, "Main.STR", "-o", out}), 0);
    EXPECT_EQ(Read(out), "scene");
}

// Directories come first and empty files last, outside the solid stream.
TEST_F(ArchiveCommands, SolidArchiveMarksItsContinuingMembers)
{
    std::string archive = folder.Path() + "/Ms.rar2";
    ASSERT_EQ(Qre({"pack", "--solid", "--level", "5", archive, base, "Textures", "README.txt", "Sounds"}), 0)
        << Errors();
    ASSERT_EQ(Qre({"list", archive}), 0);
    EXPECT_EQ(Output(), "Textures 0 0 0x30 20 00000000 dir\n"
                        "Textures\\Trees 0 0 0x30 20 00000000 dir\n"
                        "Sounds 0 0 0x30 20 00000000 dir\n"
                        "Textures\\Trees\\oak.tga 3 19 0x35 20 1A4CB739\n"
                        "Textures\\grass.jpg 5000 28 0x35 20 AF4FFC23 solid\n"
                        "README.txt 11 26 0x35 20 F5E69F02 solid\n"
                        "Sounds\\empty.ogg 0 0 0x30 20 00000000\n");
}

TEST_F(ArchiveCommands, FailuresExitWithOneAndWriteNothing)
{
    std::string archive = folder.Path() + "/a.rar2";
    ASSERT_EQ(Qre({"pack", "--store", archive, base, "README.txt"}), 0) << Errors();
    // Flip a byte of the stored member: its CRC no longer matches.
    std::string bytes = Read(archive);
    bytes[bytes.size() - 1] ^= 0x20;
    std::ofstream(archive, std::ios::binary) << bytes;
    std::string out = folder.Path() + "/readme.out";
    EXPECT_EQ(Qre({"extract", archive, "README.txt", "-o", out}), 1);
    EXPECT_NE(Errors().find("README.txt"), std::string::npos) << Errors();
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(Qre({"extract", archive, "absent.txt", "-o", out}), 1);
    EXPECT_EQ(Qre({"list", base + "/README.txt"}), 1);

    EXPECT_EQ(Qre({"pack", archive, base, "missing.txt"}), 1);
    EXPECT_EQ(Qre({"pack", archive, base, "/etc/hostname"}), 1);
    EXPECT_EQ(Qre({"pack", "--add", "README.txt", base + "/README.txt", archive, base, "README.txt"}), 1);
    EXPECT_NE(Errors().find("README.txt is given twice"), std::string::npos) << Errors();
    EXPECT_EQ(Qre({"pack", "--level", "9", archive, base}), 2);
    EXPECT_EQ(Qre({"extract", archive, "README.txt"}), 2);
    EXPECT_EQ(Qre({"pack", folder.Path() + "/no-such-folder/x.rar2", base}), 1);
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "/no-such-folder"));
}
