// A recorded unit replayed by the simulator program, read with rurizuda-at
// over a pseudo-terminal in real time.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "link/WireTrace.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kSplitImei = std::string(RURIZUDA_RECORDINGS_DIR) + "/split-imei.trace";

std::vector<std::string> ReceivedChunks(const std::filesystem::path& trace)
{
    std::ifstream in(trace);
    const WireTraceText text = ParseWireTrace(in);
    EXPECT_EQ(text.error, "") << trace;
    std::vector<std::string> chunks;
    for (const WireChunk& chunk : text.chunks) {
        if (chunk.direction == WireDirection::Received)
            chunks.push_back(chunk.bytes);
    }
    return chunks;
}

// Writes a request nobody recorded straight to the terminal.
void SendUnrecorded(const std::string& port, const std::string& bytes)
{
    const int fd = ::open(port.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0) << port;
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::usleep(200000);  // the simulator reads it before the terminal closes
    ::close(fd);
}

TEST(ReplayProgram, AnswersAsRecordedInTheRecordedPiecesAndReportsTheUnrecorded)
{
    TempWorkDir dir;
    const std::string errors = (dir.Path() / "sim.err").string();
    {
        ChildProcess simulator({"/bin/sh", "-c", "exec \"$0\" --replay \"$1\" 2>\"$2\"", UNIT_SIM_PROGRAM, kSplitImei,
                                errors});
        const std::string port = simulator.ReadLine(5000);
        ASSERT_FALSE(port.empty());
        const ProgramRun run = RunProgram({RURIZUDA_AT_PROGRAM, "--port", port, "--trace", "again.trace", "read-imei"});
        EXPECT_EQ(run.out, "result=1\nimei=867400012345678\n");
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(ReceivedChunks(dir.Path() / "again.trace"), ReceivedChunks(kSplitImei));
        SendUnrecorded(port, "AT+BOGUS\r\n");
    }
    EXPECT_EQ(ReadFileText(errors), "rurizuda-unit-sim: no recorded answer for AT+BOGUS\\r\\n\n");
}

TEST(ReplayProgram, AnUnreadableTraceEndsTheSimulatorWithAReason)
{
    TempWorkDir dir;
    std::ofstream("bad.trace") << "10 --> AT\\r\\n\nthis is not a chunk\n";
    const ProgramRun run = RunProgram({"/bin/sh", "-c", "\"$0\" --replay bad.trace 2>&1", UNIT_SIM_PROGRAM});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "rurizuda-unit-sim: bad.trace: line 2: not \"<ms> --> bytes\" or \"<ms> <-- bytes\"\n");
    EXPECT_EQ(RunProgram({UNIT_SIM_PROGRAM, "--replay", "missing.trace"}).status, 1);
}

TEST(ReplayProgram, ATraceThatCannotBeWrittenIsAUsageError)
{
    TempWorkDir dir;
    const ProgramRun run = RunProgram({RURIZUDA_AT_PROGRAM, "--port", "/dev/null", "--trace", "no/such/dir/t.txt",
                                       "read-imei"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
}

}  // namespace
