// Prints the UnitsTested message of the twenty-item unit named by its
// arguments, so a test can compare what two processes build.
//   unitstested-message HANDLE SLOT SN RECORDED_MS
#include <chrono>
#include <cstdio>
#include <string>

#include "mes/UnitsTestedMessage.h"
#include "tests/mes/TwentyItemUnit.h"

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fputs("usage: unitstested-message HANDLE SLOT SN RECORDED_MS\n", stderr);
        return 2;
    }
    const JournalClock::time_point recorded{std::chrono::milliseconds(std::stoll(argv[4]))};
    const CfxMessage message = UnitsTestedMessage(TwentyItemUnit(argv[3], recorded), {argv[1], std::stoi(argv[2])});
    std::printf("%s\n", message.json.c_str());
    return 0;
}
