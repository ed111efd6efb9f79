// Recorded units replayed against the station: every NAME.trace in this
// folder with its NAME.expect (see README.md) is one case.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "link/WireTrace.h"
#include "sim/ReplayUnit.h"
#include "station/FailureMask.h"
#include "tests/station/StationFixture.h"

namespace {

namespace fs = std::filesystem;

const fs::path kRecordings = RURIZUDA_RECORDINGS_DIR;

// What a NAME.expect file says: the profile, the buttons to press in order,
// and what the window and the controller must show afterwards.
struct Expectation {
    std::string profile;
    std::vector<int> presses;
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
        } else if (keyword == "press" && hasId) {
            expectation.presses.push_back(id);
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
    for (int button : expected.presses)
        station->OnCommand(button);

    EXPECT_EQ(replay->Unanswered(), std::vector<std::string> {}) << "the station asked what the unit was not asked";
    if (expected.mask) {
        EXPECT_EQ(station->FailureMask, *expected.mask);
    }
    if (expected.labels) {
        std::vector<int> shown;
        for (const FailureLabel& label : kFailureLabels) {
            if (window.IsVisible(label.label))
                shown.push_back(label.label);
        }
        EXPECT_EQ(shown, *expected.labels);
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

}  // namespace
