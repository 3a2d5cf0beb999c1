// TFormSettings: the configuration window. For now it opens empty, captioned
// with the program's Chinese name, so that configuration mode runs end to end.
#pragma once

#include "platform/window.h"

namespace wd::settings {

class TFormSettings : public win::Window {
 public:
  TFormSettings();

 protected:
  void OnPaint(HDC dc, const RECT& area) override;
};

}  // namespace wd::settings
