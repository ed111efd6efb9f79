// The control table as data: IDs, geometry and the controls the station
// profile governs.
#include "app/WindowTemplate.h"

#include <set>
#include <span>

#include <gtest/gtest.h>

#include "station/ProfileRules.h"

namespace {

bool Overlap(const DluRect& a, const DluRect& b)
{
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

bool IsButtonOrEdit(ControlKind kind)
{
    return kind == ControlKind::Button || kind == ControlKind::Edit;
}

TEST(WindowTemplate, ControlIdsAreUnique)
{
    std::set<int> seen;
    for (const ControlTemplate& c : MainWindowTemplate()) {
        if (c.id != 0) {
            EXPECT_TRUE(seen.insert(c.id).second) << "ID " << c.id << " appears twice";
        }
    }
}

// Hidden controls included: a control shown at run time (the maintenance
// buttons, the failure labels) must not land on another one.
TEST(WindowTemplate, NoTwoControlsOverlap)
{
    const auto controls = MainWindowTemplate();
    for (size_t i = 0; i < controls.size(); ++i) {
        for (size_t j = i + 1; j < controls.size(); ++j) {
            EXPECT_FALSE(Overlap(controls[i].rect, controls[j].rect))
                << '"' << controls[i].caption << "\" (" << controls[i].id << ") overlaps \"" << controls[j].caption
                << "\" (" << controls[j].id << ")";
        }
    }
}

TEST(WindowTemplate, EveryControlLiesInsideTheWindow)
{
    for (const ControlTemplate& c : MainWindowTemplate()) {
        EXPECT_GE(c.rect.x, 0) << c.caption << ' ' << c.id;
        EXPECT_GE(c.rect.y, 0) << c.caption << ' ' << c.id;
        EXPECT_LE(c.rect.x + c.rect.w, kWindowWidthDlu) << c.caption << ' ' << c.id;
        EXPECT_LE(c.rect.y + c.rect.h, kWindowHeightDlu) << c.caption << ' ' << c.id;
    }
}

TEST(WindowTemplate, ControlsTheProfileDisablesAreButtonsOrEdits)
{
    for (std::span<const StationSwitchRule> rules :
         {std::span<const StationSwitchRule>(kStationDisableRules), std::span<const StationSwitchRule>(kLoaderDisableRules)}) {
        for (const auto& rule : rules) {
            for (int id : rule.controls) {
                const ControlTemplate* c = FindControlTemplate(id);
                ASSERT_NE(c, nullptr) << "no control " << id;
                EXPECT_TRUE(IsButtonOrEdit(c->kind)) << id;
            }
        }
    }
}

TEST(WindowTemplate, OneKeyItemsTheProfileHidesAreLabels)
{
    for (const auto& rule : kOnekeyLabelRules) {
        const ControlTemplate* c = FindControlTemplate(rule.label);
        ASSERT_NE(c, nullptr) << "no control " << rule.label;
        EXPECT_EQ(c->kind, ControlKind::Label) << rule.label;
    }
}

}  // namespace
