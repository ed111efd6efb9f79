// Replies no unit should send: whatever arrives, a command ends with a result
// within its time-outs and writes nothing outside its buffer.
#include <random>

#include "link/AtTransaction.h"
#include "tests/atcmd/AtTestSupport.h"

namespace {

using HostileReply = OpenPort;

std::string RandomBytes(size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

TEST_F(HostileReply, EndsWithAResultWithinTheTimeOuts)
{
    constexpr size_t kTenMegabytes = 10u << 20;
    const struct {
        const char* name;
        std::string reply;
    } rows[] = {
        {"random bytes", RandomBytes(4096, 1)},
        {"NULs around the answer", std::string("\0\0*MRD_IMEI:8674\0\r\nOK\r\n", 23)},
        {"an over-long line", std::string(5000, 'A') + "\r\n"},
        {"an answer that never ends", "\r\n*MRD_IMEI:" + std::string(4000, '7')},
        {"10 MB", std::string(kTenMegabytes, 'x')},
    };
    // The longest a command may take: its request delays and the time its
    // empty-poll limit lasts, plus one read.
    constexpr int64_t kLongest = 91 + 473 + (kAtPollLimit + 1) * (200 + 91) + 200;
    constexpr int64_t kAfterTheRequestMs = 600;
    constexpr size_t kPiece = 199;
    for (const auto& row : rows) {
        link.clock.now = 0;
        const int readsBefore = link.serial.reads - link.serial.emptyReads;
        for (size_t at = 0; at < row.reply.size(); at += kPiece)
            link.serial.ArriveIn(kAfterTheRequestMs, row.reply.substr(at, kPiece));
        std::vector<char> imei(kImeiMax + 1, '\0');
        EXPECT_EQ(AtReadImei(imei.data()), 0) << row.name;
        EXPECT_EQ(imei.back(), '\0') << row.name;
        EXPECT_LE(link.Elapsed(), kLongest) << row.name;
        const int chunks = link.serial.reads - link.serial.emptyReads - readsBefore;
        EXPECT_GE(chunks, static_cast<int>(std::min(row.reply.size() / kPiece, size_t {100}))) << row.name;
    }
}

}  // namespace
