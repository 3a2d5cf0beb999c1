// Control identifiers of the settings dialog, shared with the programs that drive it
// from outside (tests find each control by its id).
#pragma once

namespace wd::settings::ids {

inline constexpr int kPageControl1 = 100;
inline constexpr int kPanel4 = 101;
inline constexpr int kPanel1 = 102;
inline constexpr int kPanel2 = 103;

inline constexpr int kLabel5 = 110;
inline constexpr int kLabel6 = 111;
inline constexpr int kLabel7 = 112;
inline constexpr int kLabel8 = 113;
inline constexpr int kTxtSetWatt = 120;
inline constexpr int kTxtUnitFee = 121;
inline constexpr int kTxtUnitCo2 = 122;
inline constexpr int kDateTimePicker1 = 123;
inline constexpr int kChkAutoSntp = 124;
inline constexpr int kTxtSntpServer = 125;
inline constexpr int kLblSntpFails = 126;
inline constexpr int kLblTimeZone = 127;
inline constexpr int kBevel1 = 128;
inline constexpr int kBevel2 = 129;

inline constexpr int kGroupBox1 = 130;
inline constexpr int kLabel1 = 131;
inline constexpr int kLabel4 = 132;
inline constexpr int kLabel2 = 133;
inline constexpr int kLabel3 = 134;
inline constexpr int kTxtToday = 140;
inline constexpr int kTxtThisWeek = 141;
inline constexpr int kTxtThisMonth = 142;
inline constexpr int kTxtThisYear = 143;
inline constexpr int kBtnReset = 144;

inline constexpr int kTrendChart = 160;
inline constexpr int kTxtTrendDay = 161;

// Not IDOK: Enter on the statistics page, where this button is hidden, must not close.
inline constexpr int kBitBtn1 = 150;
inline constexpr int kBtnOk = 151;
// IDCANCEL: Escape presses it.
inline constexpr int kBtnCancel = 2;

}  // namespace wd::settings::ids
