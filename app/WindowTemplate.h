#pragma once

#include <span>

// The main window's control table: every control with its kind, caption,
// place and initial state, in tab order. Plain data; the Qt window builds its
// widgets from it.

enum class ControlKind {
    Button,         // push button
    DefaultButton,  // the push button Enter presses when no other button has the focus
    Edit,           // single-line text box
    ReferenceEdit,  // text box showing a configured value; always disabled
    Label,          // static text
    ComboBox,       // drop-down list
    Picture,        // indicator bitmap
    GroupLabel,     // heading of an area
};

// A rectangle in dialog units (see DialogUnits).
struct DluRect {
    int x;
    int y;
    int w;
    int h;
};

struct ControlTemplate {
    int id;               // control ID (station/ControlIds.h); 0 for a plain label
    ControlKind kind;
    const char* caption;  // UTF-8
    DluRect rect;
    bool visible = true;
    bool enabled = true;
    int maxLength = 0;    // edits: most characters accepted; 0 = no limit
};

// Size of the window's client area in dialog units.
inline constexpr int kWindowWidthDlu = 770;
inline constexpr int kWindowHeightDlu = 363;

// The whole table, in tab order.
std::span<const ControlTemplate> MainWindowTemplate();

// The template entry of a control ID, or nullptr.
const ControlTemplate* FindControlTemplate(int id);
