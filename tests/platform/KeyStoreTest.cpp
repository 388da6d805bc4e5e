#include "platform/KeyStore.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <vector>

#include "support/Bytes.h"
#include "support/ScopedEnvironment.h"
#include "support/TemporaryFolder.h"

using platform::KeyStore;

namespace
{

const char kKey[] = "Software\\Brightfold Software\\Vernalia 3D Screensaver";

// A store whose config folder is a fresh temporary folder.
class KeyStoreTest : public ::testing::Test
{
protected:
    TemporaryFolder folder;
    ScopedEnvironment config{"XDG_CONFIG_HOME", folder.Path().c_str()};

    std::string KeyFile() const { return folder.Path() + "/Brightfold Software/Vernalia 3D Screensaver.conf"; }

    // Writes the key file by hand, as another program or an older run would.
    void Prepare(const std::string& contents)
    {
        KeyStore store;
        ASSERT_EQ(store.Open(kKey, true, nullptr), KeyStore::OpenResult::Created);
        ASSERT_TRUE(store.Close(nullptr));
        WriteText(KeyFile(), contents);
    }
};

}

TEST_F(KeyStoreTest, PathDropsSoftwareAndEmptyComponentsAndRefusesTheRest)
{
    const std::string expected = folder.Path() + "/Brightfold Software/Vernalia 3D Screensaver.conf";
    for (const char* key : {kKey, "\\Software\\\\Brightfold Software\\Vernalia 3D Screensaver\\"})
        EXPECT_EQ(KeyStore::PathForKey(key), expected) << key;
    // Only a leading "Software" is the hive's folder; a later one is a name.
    EXPECT_EQ(KeyStore::PathForKey("Maker\\Software"), folder.Path() + "/Maker/Software.conf");
    for (const char* key : {"", "\\\\", "Software", "Software\\..\\Escape", "Maker\\a/b"})
        EXPECT_EQ(KeyStore::PathForKey(key), "") << key;

    KeyStore store;
    std::string why;
    EXPECT_EQ(store.Open("Software\\", true, &why), KeyStore::OpenResult::Failed);
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(store.IsOpen());
}

TEST_F(KeyStoreTest, ValuesSurviveFlushAndReopenIncludingNegatives)
{
    {
        KeyStore store;
        ASSERT_EQ(store.Open(kKey, true, nullptr), KeyStore::OpenResult::Created);
        EXPECT_TRUE(store.SetValue("ShowFPS", 1));
        EXPECT_TRUE(store.SetSigned("Volume", 75));
        EXPECT_TRUE(store.SetSigned("Gamma", -20));
        EXPECT_TRUE(store.SetSigned("Lowest", INT32_MIN));
        EXPECT_TRUE(store.SetValue("Highest", UINT32_MAX));
        EXPECT_TRUE(store.SetSigned("Volume", 60));
        std::string why;
        ASSERT_TRUE(store.Flush(&why)) << why;
        ASSERT_TRUE(store.Close(&why)) << why;
    }
    // Order of first setting, one line per value, the last value set.
    EXPECT_EQ(ReadText(KeyFile()), "ShowFPS=1\nVolume=60\nGamma=-20\nLowest=-2147483648\nHighest=4294967295\n");

    // Read back, signed or not: unsigned reads see the signed values' bits.
    KeyStore store;
    ASSERT_EQ(store.Open(kKey, false, nullptr), KeyStore::OpenResult::Opened);
    const std::pair<const char*, int32_t> values[] = {
        {"ShowFPS", 1}, {"Volume", 60}, {"Gamma", -20}, {"Lowest", INT32_MIN}, {"Highest", -1}};
    for (const auto& [name, expected] : values)
    {
        int32_t value = 0;
        uint32_t bits = 0;
        EXPECT_TRUE(store.GetSigned(name, value) && store.GetValue(name, bits)) << name;
        EXPECT_EQ(value, expected) << name;
        EXPECT_EQ(bits, static_cast<uint32_t>(expected)) << name;
    }
    uint32_t bits = 0;
    EXPECT_FALSE(store.GetValue("volume", bits));
}

TEST_F(KeyStoreTest, CloseWritesPendingChangesAndDestructorToo)
{
    {
        KeyStore store;
        ASSERT_EQ(store.Open(kKey, true, nullptr), KeyStore::OpenResult::Created);
        store.SetValue("Music", 0);
        std::string why;
        ASSERT_TRUE(store.Close(&why)) << why;
        EXPECT_FALSE(store.SetValue("Music", 1));
    }
    {
        KeyStore store;
        ASSERT_EQ(store.Open(kKey, true, nullptr), KeyStore::OpenResult::Opened);
        store.SetValue("SFX", 1);
    }
    EXPECT_EQ(ReadText(KeyFile()), "Music=0\nSFX=1\n");
}

TEST_F(KeyStoreTest, MalformedLinesAreMissingValuesAndKeptOnRewrite)
{
    std::string contents =
        "ShowFPS=1\n"
        "# a note someone left\n"
        "NoEquals\n"
        "=5\n"
        "Width=abc\n"
        "Height=600px\n"
        "Huge=4294967296\n"
        "Deep=-2147483649\n"
        "Sign=-\n"
        "Empty=\n"
        "Long=" + std::string(5000, '7') + "\n"
        "Nul=1" + std::string(1, '\0') + "2\n"
        "\n"
        "ColorDepth = 32\r\n"
        "Unknown=12345\n"
        "Plus=+7\n"
        "Volume=75";  // no final newline: still read
    Prepare(contents);

    KeyStore store;
    std::string why;
    ASSERT_EQ(store.Open(kKey, true, &why), KeyStore::OpenResult::Opened) << why;

    uint32_t value = 0;
    for (const char* missing : {"NoEquals", "", "Width", "Height", "Huge", "Deep", "Sign", "Empty", "Long", "Nul"})
        EXPECT_FALSE(store.GetValue(missing, value)) << missing;
    ASSERT_TRUE(store.GetValue("ShowFPS", value));
    EXPECT_EQ(value, 1u);
    ASSERT_TRUE(store.GetValue("ColorDepth", value));
    EXPECT_EQ(value, 32u);
    ASSERT_TRUE(store.GetValue("Plus", value));
    EXPECT_EQ(value, 7u);
    ASSERT_TRUE(store.GetValue("Volume", value));
    EXPECT_EQ(value, 75u);

    // Setting a name replaces its broken line in place; every other line,
    // ours or not, goes back byte for byte.
    store.SetSigned("Width", 1024);
    store.SetSigned("Volume", 50);
    store.SetValue("Bloom", 0);
    ASSERT_TRUE(store.Close(&why)) << why;

    std::string expected = contents;
    expected.replace(expected.find("Width=abc"), 9, "Width=1024");
    expected.replace(expected.find("Volume=75"), 9, "Volume=50\nBloom=0\n");
    EXPECT_EQ(ReadText(KeyFile()), expected);
}

TEST_F(KeyStoreTest, RewriteLeavesOnlyTheKeyFileBehind)
{
    Prepare("Shadows=1\n");
    struct stat before{};
    chmod(KeyFile().c_str(), 0640);
    ASSERT_EQ(stat(KeyFile().c_str(), &before), 0);

    KeyStore store;
    ASSERT_EQ(store.Open(kKey, false, nullptr), KeyStore::OpenResult::Opened);
    store.SetValue("Shadows", 0);
    std::string why;
    ASSERT_TRUE(store.Flush(&why)) << why;

    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path() + "/Brightfold Software"))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"Vernalia 3D Screensaver.conf"});
    EXPECT_EQ(ReadText(KeyFile()), "Shadows=0\n");

    // The rename replaced the inode, but the user's chosen mode stays.
    struct stat after{};
    ASSERT_EQ(stat(KeyFile().c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & 0777, 0640u);
}
