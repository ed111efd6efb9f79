// The --slots launcher: where the slots' windows go, which slots start and
// what each station is started with.
#include "app/SlotLauncher.h"

#include <gtest/gtest.h>

#include <cmath>

#include "config/IniFile.h"

namespace {

const QRect kFullHd(0, 0, 1920, 1080);
const QSize kFrame(8, 32);

// The station window, 1224 x 726 pixels at scale 1, shrinking in proportion.
QSize Window(double scale)
{
    return QSize(static_cast<int>(std::lround(1224 * scale)), static_cast<int>(std::lround(726 * scale)));
}

TEST(SlotGrid, WindowsFitTheScreenWithoutOverlap)
{
    const struct {
        int count;
        int columns;
        int rows;
        double scale;
    } cases[] = {{1, 1, 1, 1.0}, {2, 2, 1, 0.77}, {4, 2, 2, 0.69}, {6, 3, 2, 0.51}, {8, 3, 3, 0.45}};
    for (const auto& c : cases) {
        const SlotGrid grid = PlanSlotGrid(c.count, kFullHd, Window, kFrame);
        EXPECT_EQ(grid.columns, c.columns) << c.count;
        EXPECT_EQ(grid.rows, c.rows) << c.count;
        EXPECT_DOUBLE_EQ(grid.scale, c.scale) << c.count;
        ASSERT_EQ(grid.windows.size(), static_cast<size_t>(c.count));
        for (size_t i = 0; i < grid.windows.size(); ++i) {
            EXPECT_TRUE(kFullHd.contains(grid.windows[i])) << c.count << " window " << i;
            for (size_t j = 0; j < i; ++j)
                EXPECT_FALSE(grid.windows[i].intersects(grid.windows[j])) << c.count << " windows " << j << ", " << i;
        }
    }
}

TEST(SlotGrid, AWindowLargerThanEstimatedGetsASmallerScale)
{
    // Fonts do not shrink in proportion: here the window keeps 20 pixels more.
    const auto stubborn = [](double scale) { return Window(scale) + QSize(0, scale < 1 ? 20 : 0); };
    const SlotGrid grid = PlanSlotGrid(4, kFullHd, stubborn, kFrame);
    EXPECT_DOUBLE_EQ(grid.scale, 0.67);  // 0.69 in proportion
    EXPECT_LE(grid.windows[0].height(), 540);
}

TEST(SlotGrid, ScreenOffsetMovesEveryWindow)
{
    const SlotGrid grid = PlanSlotGrid(2, QRect(100, 40, 1920, 1080), Window, kFrame);
    EXPECT_EQ(grid.windows[0].topLeft(), QPoint(100, 40));
    EXPECT_EQ(grid.windows[1].topLeft(), QPoint(1060, 40));
}

TEST(SlotsToStart, PortsGivenNumberTheSlotsElseTheProfileDoes)
{
    std::string error;
    const SlotMap map =
        ReadSlotMap(IniFile::FromText("[Slots]\nSLOT2=pci-0000:00:14.0-usb-0:2\nSLOT7=pci-0000:00:14.0-usb-0:7\n"));
    const std::vector<SlotStart> simulated = SlotsToStart({"/dev/pts/3", "/dev/pts/5"}, map, error);
    ASSERT_EQ(simulated.size(), 2u);
    EXPECT_EQ(simulated[1].slot, 2);
    EXPECT_EQ(simulated[1].port, "/dev/pts/5");
    const std::vector<SlotStart> configured = SlotsToStart({}, map, error);
    ASSERT_EQ(configured.size(), 2u);
    EXPECT_EQ(configured[1].slot, 7);
    EXPECT_EQ(configured[1].port, "");
    EXPECT_EQ(error, "");
    EXPECT_TRUE(SlotsToStart({}, SlotMap {}, error).empty());
    EXPECT_NE(error.find("names no port"), std::string::npos) << error;
}

TEST(SlotStationArguments, SlotPlaceAndWhatTheLauncherWasGiven)
{
    SlotLaunch launch;
    EXPECT_EQ(SlotStationArguments(launch, {3, ""}, QPoint(960, 540), 1.0),
              (std::vector<std::string> {"--slot", "3", "--at", "960,540"}));
    launch = {"/usr/bin/rurizuda", "/srv/line", "traces", true};
    EXPECT_EQ(SlotStationArguments(launch, {1, "/dev/pts/2"}, QPoint(0, 0), 0.69),
              (std::vector<std::string> {"--slot", "1", "--at", "0,0", "--scale", "0.69", "--port", "/dev/pts/2",
                                         "--dir", "/srv/line",
                                         "--trace", "traces", "--engineering"}));
}

}  // namespace
