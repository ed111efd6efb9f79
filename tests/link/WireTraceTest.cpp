// The wire trace: its line format, the serial layer's reports and the file
// written behind the link's back.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "link/SerialPort.h"
#include "link/WireTrace.h"
#include "link/WireTraceFile.h"
#include "tests/support/ChunkRecorder.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualTime.h"

namespace {

WireChunk Sent(int64_t ms, std::string bytes)
{
    return {ms, WireDirection::Sent, std::move(bytes)};
}

WireChunk Received(int64_t ms, std::string bytes)
{
    return {ms, WireDirection::Received, std::move(bytes)};
}

// Every byte value, alone and inside text, comes back from its line
// unchanged, and the line itself is plain printable ASCII without a trailing
// blank.
TEST(WireLine, EveryByteValueRoundTrips)
{
    std::string all;
    for (int value = 0; value < 256; ++value) {
        const char byte = static_cast<char>(value);
        all += byte;
        for (const std::string& bytes : {std::string(1, byte), "A" + std::string(1, byte) + "B"}) {
            const WireChunk chunk = Received(value, bytes);
            const std::string line = FormatWireLine(chunk);
            for (const char c : line)
                ASSERT_TRUE(c >= 0x20 && c <= 0x7e) << "byte " << value << " gave " << line;
            ASSERT_NE(line.back(), ' ') << "byte " << value;
            ASSERT_EQ(ParseWireLine(line), chunk) << "byte " << value << " gave " << line;
        }
    }
    EXPECT_EQ(ParseWireLine(FormatWireLine(Sent(1, all))), Sent(1, all));
}

TEST(WireLine, ReadsAsTheDesignSaysWithControlBytesEscaped)
{
    EXPECT_EQ(FormatWireLine(Sent(1200, "AT*MRD_IMEI?\r\n")), "1200 --> AT*MRD_IMEI?\\r\\n");
    EXPECT_EQ(FormatWireLine(Received(1673, "\r\nOK \x01\xff\\")), "1673 <-- \\r\\nOK \\x01\\xFF\\\\");
    EXPECT_EQ(FormatWireLine(Received(5, "OK ")), "5 <-- OK\\x20");
}

TEST(WireLine, MalformedLinesAreRefused)
{
    for (const char* line : {"", "12", "12 -->", "12 --> ", "x --> A", "-- --> A", "12 -> A", "12  --> A",
                             "12 ==> A", "12 --> \\", "12 --> \\q", "12 --> \\x4", "12 --> \\xG1", "12-->A"}) {
        EXPECT_EQ(ParseWireLine(line), std::nullopt) << line;
    }
    EXPECT_EQ(ParseWireLine("12 --> \\x4f\\x4B"), Sent(12, "OK"));
}

TEST(WireTraceText, SkipsCommentsAndToleratesCrLfLineEnds)
{
    std::istringstream text("# recorded on bench 3\n\n10 --> AT\\r\\n\r\n40 <-- OK\n");
    const WireTraceText trace = ParseWireTrace(text);
    EXPECT_EQ(trace.error, "");
    EXPECT_EQ(trace.chunks, (std::vector<WireChunk> {Sent(10, "AT\r\n"), Received(40, "OK")}));
}

TEST(WireTraceText, NamesTheFirstBadLineButLeavesOutATornLastOne)
{
    std::istringstream text("10 --> AT\\r\\n\n# fine\n40 <- OK\n50 <-- OK\n");
    const WireTraceText trace = ParseWireTrace(text);
    EXPECT_EQ(trace.error, "line 3: not \"<ms> --> bytes\" or \"<ms> <-- bytes\"");
    std::istringstream torn("10 --> AT\\r\\n\n40 <-- OK\\x0");
    const WireTraceText cut = ParseWireTrace(torn);
    EXPECT_EQ(cut.error, "");
    EXPECT_EQ(cut.torn, "line 2: torn last line left out");
    EXPECT_EQ(cut.chunks, std::vector<WireChunk> {Sent(10, "AT\r\n")});
}

class SerialTrace : public testing::Test {
protected:
    void SetUp() override { previous_ = InstallWireTrace(&recorder); }
    void TearDown() override { InstallWireTrace(previous_); }

    VirtualLink link;
    ChunkRecorder recorder;

private:
    WireTraceSink* previous_ = nullptr;
};

TEST_F(SerialTrace, WritesAndDeliveringReadsAreReportedInOrder)
{
    link.serial.SetResponder([](std::string_view, ScriptedSerial& port) { port.ArriveIn(30, "\r\nOK\r\n"); });
    const unsigned char payload[] = "+RESET";
    ASSERT_EQ(SendPackage(ScriptedSerial::kHandle, payload, 6, kPackageModeAt), 1);
    unsigned char received[kMaxReceiveCount + 1];
    ASSERT_EQ(ReceivePackage(ScriptedSerial::kHandle, received), 1);
    EXPECT_EQ(ReceivePackage(ScriptedSerial::kHandle, received), 0);  // empty: not a chunk
    EXPECT_EQ(recorder.chunks, (std::vector<WireChunk> {Sent(0, "AT+RESET\r\n"), Received(30, "\r\nOK\r\n")}));
}

TEST_F(SerialTrace, FailedWritesAndReadsAreNotChunks)
{
    link.serial.FailWrite(true);
    const unsigned char bytes[] = "AT\r\n";
    EXPECT_EQ(SerialWrite(ScriptedSerial::kHandle, bytes, 4), 0);
    link.serial.FailReads(5);
    unsigned char dest[8];
    EXPECT_LT(SerialRead(ScriptedSerial::kHandle, dest, sizeof dest), 0);
    EXPECT_TRUE(recorder.chunks.empty());
}

class TraceFile : public testing::Test {
protected:
    std::string Lines()
    {
        file.Flush();
        return ReadFileText(dir.Path() / "wire.txt");
    }
    void Write(const std::string& bytes)
    {
        file.Record(WireDirection::Sent, reinterpret_cast<const unsigned char*>(bytes.data()),
                    static_cast<int>(bytes.size()));
    }

    TempWorkDir dir;
    VirtualClock clock;
    Clock* previousClock_ = InstallClock(&clock);
    WireTraceFile file;

    void TearDown() override { InstallClock(previousClock_); }
};

TEST_F(TraceFile, AppendsOneLinePerChunkStampedWhenRecorded)
{
    std::ofstream(dir.Path() / "wire.txt") << "# earlier run\n";
    std::string error;
    ASSERT_TRUE(file.Open(dir.Path() / "wire.txt", error)) << error;
    clock.now = 1200;
    Write("AT+RESET\r\n");
    clock.now = 1473;
    const unsigned char reply[] = "\r\nOK\r\n";
    file.Record(WireDirection::Received, reply, 6);
    EXPECT_EQ(Lines(), "# earlier run\n1200 --> AT+RESET\\r\\n\n1473 <-- \\r\\nOK\\r\\n\n");
}

TEST_F(TraceFile, ChunksOutsideAnOpenFileAreDropped)
{
    Write("AT\r\n");
    std::string error;
    ASSERT_TRUE(file.Open(dir.Path() / "wire.txt", error)) << error;
    Write("AT+A\r\n");
    file.Close();
    Write("AT+B\r\n");
    EXPECT_EQ(ReadFileText(dir.Path() / "wire.txt"), "0 --> AT+A\\r\\n\n");
    EXPECT_FALSE(file.IsOpen());
}

TEST_F(TraceFile, AFileThatCannotBeOpenedSaysWhy)
{
    std::string error;
    EXPECT_FALSE(file.Open(dir.Path() / "missing" / "wire.txt", error));
    EXPECT_NE(error.find("cannot open the wire trace"), std::string::npos) << error;
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    EXPECT_FALSE(file.IsOpen());
}

// Many chunks from the link thread while the writer works: none is lost or
// reordered.
TEST_F(TraceFile, BurstsKeepEveryChunkInOrder)
{
    std::string error;
    ASSERT_TRUE(file.Open(dir.Path() / "wire.txt", error)) << error;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        Write(std::to_string(i));
        expected += "0 --> " + std::to_string(i) + "\n";
    }
    EXPECT_EQ(Lines(), expected);
    EXPECT_EQ(file.LostChunks(), 0);
}

}  // namespace
