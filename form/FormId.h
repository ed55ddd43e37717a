#pragma once

// The control ids of form 101. The handlers are bound to the controls by
// them, and each control is named "ctl<ID>" after its id. The function combos
// and polarity boxes run IN1, IN2, IN3, IN4, OUT1, OUT2, OUT3 from the first.
namespace FormId {
inline constexpr int kModeCombo = 1004;
inline constexpr int kFirstFunctionCombo = 1005;  // IN1; 1011 is OUT3
inline constexpr int kFirstPolarityBox = 1012;    // IN1; 1018 is OUT3
inline constexpr int kPortCombo = 1021;
inline constexpr int kBaudCombo = 1022;
inline constexpr int kConnectToggle = 1024;
inline constexpr int kStationIdEdit = 1025;
inline constexpr int kCommandEdit1 = 1026;
inline constexpr int kSendButton1 = 1027;
inline constexpr int kReadAllButton = 1028;
inline constexpr int kParamGrid = 1029;
inline constexpr int kCommandEdit2 = 1030;
inline constexpr int kSendButton2 = 1031;
inline constexpr int kApplyButton = 1032;
inline constexpr int kSetModeToggle = 1033;
inline constexpr int kCommandEdit3 = 1034;
inline constexpr int kSendButton3 = 1035;
inline constexpr int kSendAllButton = 1036;
inline constexpr int kCommandEdit4 = 1037;
inline constexpr int kSendButton4 = 1038;
inline constexpr int kSentList = 1039;
inline constexpr int kVersionButton = 1040;
inline constexpr int kReceivedList = 1041;
inline constexpr int kParamInitButton = 1042;
}  // namespace FormId
