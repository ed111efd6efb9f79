#pragma once

// Fixed texts of the main window and its about box (UTF-8).
inline constexpr const char* kWindowTitle = "KAVO RURIZUDA TOOL 1.2.2.5";
inline constexpr const char* kAboutCaption = "KAVO RURIZUDA TOOL";
inline constexpr const char* kAboutText = "KAVO RURIZUDA TOOL 1.2 VER";
// The about item of the window menu; & marks the mnemonic.
inline constexpr const char* kAboutMenuItem = "KAVO RURIZUDA TOOL(&A)...";
