#include "settings/dialog_fonts.h"

#include <cwchar>

#include "platform/handles.h"

namespace wd::settings {
namespace {

int CALLBACK FontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FontInstalled(const wchar_t* face) {
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  std::wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  bool found = false;
  win::WindowDc screen(nullptr);
  ::EnumFontFamiliesExW(screen.get(), &lf, FontFound, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

}  // namespace

const wchar_t* ChineseFace() {
  static const wchar_t* face = [] {
    for (const wchar_t* f : {L"新細明體", L"PMingLiU", L"Microsoft JhengHei", L"AR PL UMing TW",
                             L"Noto Sans CJK TC", L"Noto Serif CJK TC"}) {
      if (FontInstalled(f)) return f;
    }
    return L"新細明體";
  }();
  return face;
}

HFONT MakeFont(const wchar_t* face, int height_px, bool fixed_pitch) {
  LOGFONTW lf{};
  lf.lfHeight = -height_px;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  // With a substitute face the fixed-pitch request picks another face whose Latin
  // letters are full width.
  const bool designed_face = std::wcscmp(face, L"新細明體") == 0;
  lf.lfPitchAndFamily =
      static_cast<BYTE>(fixed_pitch && designed_face ? FIXED_PITCH : DEFAULT_PITCH);
  std::wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return ::CreateFontIndirectW(&lf);
}

}  // namespace wd::settings
