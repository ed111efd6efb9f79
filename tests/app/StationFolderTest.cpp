#include "app/StationFolder.h"

#include <fstream>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// A station run from /opt/line/bin, started in /home/op/work.
StationFolderFacts Facts()
{
    StationFolderFacts facts;
    facts.currentDir = "/home/op/work";
    facts.executableDir = "/opt/line/bin";
    facts.home = "/home/op";
    return facts;
}

struct ChoiceCase {
    const char* name;
    bool writable;
    bool installed;
    const char* dirOption;
    const char* home;
    const char* dataHome;
    const char* workDir;  // "" stays in the current directory
    const char* dataDir;
    bool error;
};

TEST(StationFolder, ChoiceFollowsOptionWritabilityInstallationAndHome)
{
    const ChoiceCase cases[] = {
        {"build tree", true, false, "", "/home/op", "", "", "/opt/line/bin", false},
        {"read-only folder", false, false, "", "/home/op", "", "/home/op/.local/share/rurizuda",
         "/home/op/.local/share/rurizuda", false},
        {"installed, root may write /usr/bin", true, true, "", "/root", "", "/root/.local/share/rurizuda",
         "/root/.local/share/rurizuda", false},
        {"XDG_DATA_HOME", false, true, "", "/home/op", "/data/op/", "/data/op/rurizuda", "/data/op/rurizuda", false},
        {"relative XDG_DATA_HOME ignored", false, true, "", "/home/op", "data", "/home/op/.local/share/rurizuda",
         "/home/op/.local/share/rurizuda", false},
        {"--dir absolute", false, true, "/srv/line3/", "/home/op", "", "/srv/line3", "/srv/line3", false},
        {"--dir relative to the start folder", true, false, "line3", "/home/op", "", "/home/op/work/line3",
         "/home/op/work/line3", false},
        {"--dir without HOME", false, true, "/srv/line3", "", "", "/srv/line3", "/srv/line3", false},
        {"no HOME", false, true, "", "", "", "", "", true},
        {"relative HOME", false, true, "", "op", "", "", "", true},
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.name);
        StationFolderFacts facts = Facts();
        facts.executableDirWritable = c.writable;
        facts.installed = c.installed;
        facts.dirOption = c.dirOption;
        facts.home = c.home;
        facts.dataHome = c.dataHome;
        const StationFolder folder = ChooseStationFolder(facts);
        EXPECT_EQ(folder.workDir, fs::path(c.workDir));
        EXPECT_EQ(folder.dataDir, fs::path(c.dataDir));
        EXPECT_EQ(!folder.error.empty(), c.error) << folder.error;
    }
}

class PreparedFolder : public ::testing::Test {
protected:
    void WriteFile(const fs::path& path, const std::string& text)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }

    TempWorkDir dir_;
    const fs::path station_ = dir_.Path() / "home" / ".local" / "share" / "rurizuda";
    const fs::path example_ = dir_.Path() / "share" / "workstation.example.ini";
};

TEST_F(PreparedFolder, FirstStartCreatesTheFolderAndCopiesTheFirstExampleFound)
{
    WriteFile(example_, "[Station]\n");
    const StationFolderSetup setup = PrepareStationFolder(station_, {dir_.Path() / "missing.ini", example_});
    EXPECT_EQ(setup.error, "");
    EXPECT_EQ(ReadFileText(station_ / "workstation.ini"), "[Station]\n");
    EXPECT_NE(setup.message.find("created the station folder"), std::string::npos) << setup.message;
    EXPECT_NE(setup.message.find(example_.string()), std::string::npos) << setup.message;
    EXPECT_FALSE(fs::exists(station_ / "workstation.ini.new"));
}

TEST_F(PreparedFolder, AnExistingProfileIsKeptAndNothingIsSaid)
{
    WriteFile(example_, "[Station]\n");
    WriteFile(station_ / "workstation.ini", "edited");
    const StationFolderSetup setup = PrepareStationFolder(station_, {example_});
    EXPECT_EQ(setup.error, "");
    EXPECT_EQ(setup.message, "");
    EXPECT_EQ(ReadFileText(station_ / "workstation.ini"), "edited");
}

TEST_F(PreparedFolder, WithoutAnExampleTheFolderStartsEmptyAndSaysSo)
{
    const StationFolderSetup setup = PrepareStationFolder(station_, {example_});
    EXPECT_EQ(setup.error, "");
    EXPECT_TRUE(fs::is_directory(station_));
    EXPECT_FALSE(fs::exists(station_ / "workstation.ini"));
    EXPECT_NE(setup.message.find("no example profile"), std::string::npos) << setup.message;
}

TEST_F(PreparedFolder, AFileInTheWayIsAnError)
{
    WriteFile(example_, "[Station]\n");
    WriteFile(station_, "not a folder");
    EXPECT_NE(PrepareStationFolder(station_, {example_}).error, "");
    EXPECT_NE(PrepareStationFolder(station_ / "below", {example_}).error, "");
}

}  // namespace
