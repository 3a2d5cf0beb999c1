// The ring gauge, drawn with the GDI+ flat API, and the program-wide GDI+ session.
#pragma once

#include <windows.h>

namespace wd::saver {

// Draws the seven-ring gauge onto dc: for each ring a dark track and, on top of
// it, a value arc growing clockwise from 12 o'clock by 4.5 degrees per unit
// (capped at 270 degrees). The values come in the order rings 1, 2, 3, 4, 7, 5, 6
// (ring 1 is the outermost). GDI+ failures leave arcs undrawn and raise nothing.
// Needs a live GdiplusSession.
void DrawRings(HDC dc, float v1, float v2, float v3, float v4, float v7, float v5, float v6);

// GDI+ for the whole program: started once before any drawing, shut down at the
// end. Create exactly one, in the program's entry, before any window exists.
class GdiplusSession {
 public:
  GdiplusSession();
  ~GdiplusSession();
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;

  // False when GDI+ refused to start; drawing then simply leaves nothing.
  bool started() const { return started_; }

 private:
  ULONG_PTR token_ = 0;
  bool started_ = false;
};

}  // namespace wd::saver
