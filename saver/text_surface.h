// A surface the dashboard's labels are drawn on: white text over what lies beneath, in
// a label font. Selecting the DC's own font of default quality makes Wine look up the X
// resources for smoothing (where the X server has none, reading the resource files
// again on every selection): the surface keeps a label font selected between uses,
// never its own.
#pragma once

#include <windows.h>

#include "platform/dib.h"

namespace wd::saver {

class TextSurface {
 public:
  TextSurface() = default;
  // Raises OSError when the system has no room for it.
  TextSurface(int width, int height, HGDIOBJ font) : surface_(width, height) {
    SelectFont(font);
    // White labels over the picture: the surface keeps the text settings for good.
    ::SetBkMode(surface_.dc(), TRANSPARENT);
    ::SetTextColor(surface_.dc(), RGB(255, 255, 255));
  }

  const win::DibSurface& pixels() const { return surface_; }
  HDC dc() const { return surface_.dc(); }
  int width() const { return surface_.width(); }
  int height() const { return surface_.height(); }
  explicit operator bool() const { return bool(surface_); }

  void SelectFont(HGDIOBJ font) const { ::SelectObject(surface_.dc(), font); }
  // Lets go of the label font, which is about to be deleted.
  void ReleaseFont() const {
    if (surface_) ::SelectObject(surface_.dc(), ::GetStockObject(SYSTEM_FONT));
  }

 private:
  win::DibSurface surface_;
};

}  // namespace wd::saver
