// The station's wire trace: one file per unit, named by time and SN.
#include <regex>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "link/StationLog.h"
#include "link/WireTrace.h"

#include "station/UnitWireTrace.h"
#include "tests/station/StationFixture.h"

namespace {

namespace fs = std::filesystem;

class WireTraceFiles : public StationFixture {
protected:
    std::vector<std::string> Files(const fs::path& folder) const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.Path() / folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

const std::regex kUnnamed(R"(trace-\d{8}-\d{6}(-\d+)?\.txt)");

TEST_F(WireTraceFiles, EachUnitGetsAFileNamedWithItsSnAtRetest)
{
    WriteProfile("[Station]\nWIRETRACE_DIR=traces\n");
    unit.State().sn = "RZ26A/0145001";
    Start();
    station->OnReadSn();
    station->OnRetest();
    station->OnReadImei();
    const fs::path second = station->CurrentWireTracePath();
    station.reset();

    const std::vector<std::string> files = Files("traces");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_TRUE(std::regex_match(files[0], std::regex(R"(trace-\d{8}-\d{6}-RZ26A_0145001\.txt)"))) << files[0];
    EXPECT_TRUE(std::regex_match(files[1], kUnnamed)) << files[1];
    EXPECT_EQ(second.filename(), files[1]);
    const std::string first = ReadFileText(dir.Path() / "traces" / files[0]);
    EXPECT_NE(first.find(" --> AT*MRD_SN?\\r\\n\n"), std::string::npos) << first;
    EXPECT_NE(first.find(" <-- "), std::string::npos) << first;
    EXPECT_EQ(first.find("MRD_IMEI"), std::string::npos) << first;
    EXPECT_NE(ReadFileText(dir.Path() / "traces" / files[1]).find("AT*MRD_IMEI?"), std::string::npos);
}

TEST_F(WireTraceFiles, AUnitStoredByTestFinishKeepsItsSnInItsFileName)
{
    WriteProfile("[Station]\nWIRETRACE_DIR=traces\nUSEMDB=YES\n");
    unit.State().sn = "RZ26A0145001";
    StationOptions options {kUnitPort};
    options.dataDir = dir.Path();
    Start(std::move(options));
    station->OnReadSn();
    station->OnCommand(ctl::kTestFinish);
    ASSERT_EQ(station->unit.sn, "") << "stored and cleared";
    station->OnRetest();
    station.reset();
    const std::vector<std::string> files = Files("traces");
    ASSERT_FALSE(files.empty());
    EXPECT_TRUE(std::regex_match(files[0], std::regex(R"(trace-\d{8}-\d{6}-RZ26A0145001\.txt)"))) << files[0];
}

TEST_F(WireTraceFiles, ASlotKeepsItsLogAndTracesInItsOwnFolder)
{
    WriteProfile("[Station]\nWIRETRACE_DIR=traces\n");
    StationOptions options {kUnitPort};
    options.slot = 3;
    Start(options);
    station->OnReadVersion();
    WriteLog("entry of slot 3\n");
    station.reset();
    EXPECT_FALSE(fs::exists(dir.Path() / kStationLogName));
    EXPECT_NE(ReadFileText(dir.Path() / "slot-3" / kStationLogName).find("entry of slot 3"), std::string::npos);
    const std::vector<std::string> files = Files("traces/slot-3");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(std::regex_match(files[0], kUnnamed)) << files[0];
}

TEST_F(WireTraceFiles, TheCommandLineFolderWinsAndUnusedFilesAreRemoved)
{
    WriteProfile("[Station]\nWIRETRACE_DIR=traces\n");
    StationOptions options {kUnitPort};
    options.wireTraceDir = "bench/run";
    Start(options);
    station->OnRetest();
    station->OnReadVersion();
    station.reset();
    EXPECT_FALSE(fs::exists(dir.Path() / "traces"));
    const std::vector<std::string> files = Files("bench/run");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(std::regex_match(files[0], kUnnamed)) << files[0];
}

TEST_F(WireTraceFiles, NoFolderNoTrace)
{
    Start();
    EXPECT_EQ(InstalledWireTrace(), nullptr);
    station->OnReadSn();
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        EXPECT_FALSE(entry.is_directory() || entry.path().filename().string().starts_with("trace")) << entry.path();
}

TEST_F(WireTraceFiles, AFolderThatCannotBeMadeLeavesTheTraceOffAndSaysSo)
{
    std::ofstream(dir.Path() / "traces") << "a file in the way\n";
    WriteProfile("[Station]\nWIRETRACE_DIR=traces/unit\n");
    Start();
    EXPECT_EQ(InstalledWireTrace(), nullptr);
    EXPECT_NE(link.traces.texts.find("rurizuda: cannot create the wire trace folder traces/unit"), std::string::npos)
        << link.traces.texts;
    station->OnReadSn();  // works as without a trace
    EXPECT_EQ(window.Text(ctl::kSnBox), unit.State().sn);
}

// A trace file that cannot grow loses chunks: said once, in the log.
TEST(UnitTraceFile, ChunksLostToAFullDiskAreReportedOnceInTheLog)
{
    const TempWorkDir dir;
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit {4096, 4096};
        std::string error;
        UnitWireTrace trace;
        if (!LogOpenFile((dir.Path() / "writelog.txt").c_str()) || setrlimit(RLIMIT_FSIZE, &limit) != 0 ||
            !trace.Start(dir.Path() / "traces", error))
            _exit(2);
        const std::string chunk(200, 'x');
        for (int i = 0; i < 100; ++i)
            InstalledWireTrace()->Record(WireDirection::Sent, reinterpret_cast<const unsigned char*>(chunk.data()),
                                         static_cast<int>(chunk.size()));
        trace.Stop("SN1");
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string log = ReadFileText(dir.Path() / "writelog.txt");
    EXPECT_TRUE(std::regex_search(log, std::regex("wire trace incomplete: [1-9][0-9]* chunks lost"))) << log;
    EXPECT_EQ(log.find("incomplete"), log.rfind("incomplete")) << log;
}

TEST(SnForFileName, KeepsSafeCharactersOnly)
{
    EXPECT_EQ(SnForFileName("RZ26A0145001"), "RZ26A0145001");
    EXPECT_EQ(SnForFileName("../x y\\z\x01\xc3"), ".._x_y_z__");
    EXPECT_EQ(SnForFileName(std::string(100, 'S')).size(), 64u);
    EXPECT_EQ(SnForFileName(""), "");
}

}  // namespace
