#pragma once

// Status kinds of ShowStatus: each selects an indicator, a picture and the
// box that takes the message. GOING / SUCCESS / FAIL triples per indicator,
// a blank kind per indicator, and the two presence-lamp kinds.
namespace kind {
inline constexpr unsigned kMainGoing = 0;
inline constexpr unsigned kMainSuccess = 1;
inline constexpr unsigned kMainFail = 2;
inline constexpr unsigned kSimGoing = 3;
inline constexpr unsigned kSimSuccess = 4;
inline constexpr unsigned kSimFail = 5;
inline constexpr unsigned kSdGoing = 6;
inline constexpr unsigned kSdSuccess = 7;
inline constexpr unsigned kSdFail = 8;
inline constexpr unsigned kWifiGoing = 9;
inline constexpr unsigned kWifiSuccess = 10;
inline constexpr unsigned kWifiFail = 11;
inline constexpr unsigned kOneKeyGoing = 12;
inline constexpr unsigned kOneKeySuccess = 13;
inline constexpr unsigned kOneKeyFail = 14;
inline constexpr unsigned kMainBlank = 20;
inline constexpr unsigned kSimBlank = 21;
inline constexpr unsigned kSdBlank = 22;
inline constexpr unsigned kWifiBlank = 23;
inline constexpr unsigned kOneKeyBlank = 24;
inline constexpr unsigned kUnitPresent = 30;
inline constexpr unsigned kNoUnit = 31;
}  // namespace kind

// An operation's GOING, SUCCESS and FAIL kinds.
struct KindTriple {
    unsigned going;
    unsigned success;
    unsigned fail;
};

inline constexpr KindTriple kMainKinds {kind::kMainGoing, kind::kMainSuccess, kind::kMainFail};
inline constexpr KindTriple kSimKinds {kind::kSimGoing, kind::kSimSuccess, kind::kSimFail};
inline constexpr KindTriple kSdKinds {kind::kSdGoing, kind::kSdSuccess, kind::kSdFail};
inline constexpr KindTriple kWifiKinds {kind::kWifiGoing, kind::kWifiSuccess, kind::kWifiFail};

// Shown in the result box for a kind outside the table.
inline constexpr const char* kUnknownStatusText = "不确定状态";

// Shown in the result box when TEST FINISH stored the unit.
inline constexpr const char* kStoredStatusText = "Write database successfully!";
