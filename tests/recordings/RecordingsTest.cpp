// Recorded units replayed against the station: every NAME.trace in this
// folder with its NAME.expect (see README.md) is one case.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "link/WireTrace.h"
#include "sim/ReplayUnit.h"
#include "station/FailureMask.h"
#include "tests/support/ChunkRecorder.h"
#include "tests/station/StationFixture.h"

namespace {

namespace fs = std::filesystem;

const fs::path kRecordings = RURIZUDA_RECORDINGS_DIR;

// One step of the operator or the window: a button pressed or a timer tick.
struct Step {
    bool tick = false;
    int id = 0;
};

// What a NAME.expect file says: the profile, the buttons to press and the
// timer ticks in order, and what the window and the controller must show
// afterwards.
struct Expectation {
    std::string profile;
    std::vector<std::pair<int, std::string>> typed;  // scan fields filled before the steps
    std::vector<Step> steps;
    std::optional<uint32_t> mask;
    std::optional<std::vector<int>> labels;
    std::vector<std::pair<int, std::string>> texts;
    std::vector<std::pair<int, std::string>> pictures;
    std::string error;  // the first line that could not be read
};

Expectation ReadExpectation(const fs::path& file)
{
    Expectation expectation;
    std::ifstream in(file);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        std::string rest;
        std::getline(words >> std::ws, rest);
        int id = 0;
        std::istringstream idAndText(rest);
        const bool hasId = static_cast<bool>(idAndText >> id);
        std::string text;
        std::getline(idAndText.ignore(1), text);
        if (keyword.empty() || keyword.front() == '#') {
            continue;
        } else if (keyword == "profile") {
            expectation.profile += rest + "\n";
        } else if (keyword == "type" && hasId) {
            expectation.typed.emplace_back(id, text);
        } else if ((keyword == "press" || keyword == "tick") && hasId) {
            expectation.steps.push_back({keyword == "tick", id});
        } else if (keyword == "mask") {
            expectation.mask = static_cast<uint32_t>(std::stoul(rest, nullptr, 16));
        } else if (keyword == "labels") {
            std::istringstream ids(rest);
            expectation.labels.emplace(std::istream_iterator<int>(ids), std::istream_iterator<int>());
        } else if (keyword == "text" && hasId) {
            expectation.texts.emplace_back(id, text);
        } else if (keyword == "picture" && hasId) {
            expectation.pictures.emplace_back(id, text);
        } else {
            expectation.error = file.filename().string() + " line " + std::to_string(number) + ": " + line;
            break;
        }
    }
    return expectation;
}

std::vector<WireChunk> ReadTrace(const fs::path& file)
{
    std::ifstream in(file);
    const WireTraceText trace = ParseWireTrace(in);
    EXPECT_EQ(trace.error, "") << file;
    return trace.chunks;
}

std::vector<std::string> RecordingNames()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kRecordings)) {
        if (entry.path().extension() == ".expect")
            names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The station in virtual time with the recorded unit on its port.
class Replayed : public StationFixture {
protected:
    void Replay(const std::vector<WireChunk>& chunks)
    {
        replay.emplace(chunks);
        link.serial.SetResponder([this](std::string_view written, ScriptedSerial& port) {
            for (auto& write : replay->Receive(written))
                port.ArriveIn(write.delayMs, std::move(write.bytes));
        });
    }

    void Run(const std::vector<Step>& steps)
    {
        for (const Step& step : steps) {
            if (step.tick)
                station->OnTimer(step.id);
            else
                station->OnCommand(step.id);
        }
    }

    std::vector<int> ShownLabels() const
    {
        std::vector<int> shown;
        for (const FailureLabel& label : kFailureLabels) {
            if (window.IsVisible(label.label))
                shown.push_back(label.label);
        }
        return shown;
    }

    std::optional<sim::ReplayUnit> replay;
};

class Recording : public Replayed, public testing::WithParamInterface<std::string> {};

TEST_P(Recording, ReplaysToTheExpectedOutcome)
{
    const Expectation expected = ReadExpectation(kRecordings / (GetParam() + ".expect"));
    ASSERT_EQ(expected.error, "");
    Replay(ReadTrace(kRecordings / (GetParam() + ".trace")));
    WriteProfile(expected.profile);
    Start();
    for (const auto& [field, text] : expected.typed)
        window.SetText(field, text);
    Run(expected.steps);

    EXPECT_EQ(replay->Unanswered(), std::vector<std::string> {}) << "the station asked what the unit was not asked";
    if (expected.mask) {
        EXPECT_EQ(station->FailureMask, *expected.mask);
    }
    if (expected.labels) {
        EXPECT_EQ(ShownLabels(), *expected.labels);
    }
    for (const auto& [id, text] : expected.texts)
        EXPECT_EQ(window.Text(id), text) << "control " << id;
    for (const auto& [id, name] : expected.pictures)
        EXPECT_STREQ(PictureName(window.PictureOf(id)), name.c_str()) << "control " << id;
}

INSTANTIATE_TEST_SUITE_P(Recordings, Recording, testing::ValuesIn(RecordingNames()),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
                             return name;
                         });

// The station reads a split reply in the recorded pieces: each chunk it
// received in the recording arrives in a read of its own.
TEST_F(Replayed, ASplitReplyArrivesInTheRecordedPieces)
{
    const std::vector<WireChunk> chunks = ReadTrace(kRecordings / "split-imei.trace");
    std::vector<std::string> recorded;
    for (const WireChunk& chunk : chunks) {
        if (chunk.direction == WireDirection::Received)
            recorded.push_back("read " + std::to_string(chunk.bytes.size()));
    }
    ASSERT_GE(recorded.size(), 2u);
    Replay(chunks);
    Start();
    link.clock.events.clear();
    station->OnReadImei();
    std::vector<std::string> reads;
    for (const std::string& event : link.clock.events) {
        if (event.starts_with("read ") && event != "read 0")
            reads.push_back(event);
    }
    EXPECT_EQ(reads, recorded);
    EXPECT_EQ(station->FailureMask, 0u);
}

// A whole one-key test with every item on, recorded against the simulated
// unit and replayed to a new station, ends with the same verdict, mask and
// labels. Set RURIZUDA_RECORD_TO=FILE to keep the recording as a trace.
TEST_F(Replayed, AOneKeyTestReplaysToTheSameVerdict)
{
    const std::vector<Step> steps {{false, ctl::kOneKeyTest},
                                   {false, ctl::kLedFail},
                                   {true, ctl::kKeyPollTimer},
                                   {true, ctl::kOneKeyWaitTimer}};
    const std::string profile = ReadFileText(EXAMPLE_PROFILE_PATH);
    // The labels of the unit, as scanned.
    const std::pair<int, const char*> scans[] = {{ctl::kScanMac, "A45E60C1229F"},
                                                 {ctl::kScanImei, "867400012345678"},
                                                 {ctl::kScanSn, "RZ26A0145871"},
                                                 {ctl::kScanPcbaSn, "PB26A0145871"}};
    const auto scan = [&] {
        for (const auto& [field, text] : scans)
            window.SetText(field, text);
    };

    ChunkRecorder recorder;
    WriteProfile(profile);
    Start();
    scan();
    WireTraceSink* previous = InstallWireTrace(&recorder);
    Run(steps);
    InstallWireTrace(previous);
    const uint32_t mask = station->FailureMask;
    const std::vector<int> labels = ShownLabels();
    const std::string verdict = window.Text(ctl::kOneKeyResultBox);
    EXPECT_EQ(verdict, "Failed in Onekey Test!");
    EXPECT_EQ(mask & failbit::kLed, failbit::kLed);
    EXPECT_EQ(mask & failbit::kReadMac, 0u);
    if (const char* keep = std::getenv("RURIZUDA_RECORD_TO")) {
        std::ofstream out(keep);
        for (const WireChunk& chunk : recorder.chunks)
            out << FormatWireLine(chunk) << '\n';
    }

    link.serial.Replug();  // drops what the simulated unit still had on its way
    Replay(recorder.chunks);
    WriteProfile(profile);
    Start();
    scan();
    Run(steps);
    EXPECT_EQ(replay->Unanswered(), std::vector<std::string> {});
    EXPECT_EQ(station->FailureMask, mask);
    EXPECT_EQ(ShownLabels(), labels);
    EXPECT_EQ(window.Text(ctl::kOneKeyResultBox), verdict);
}

}  // namespace
