// Owning wrappers for Win32 handles: one small non-copyable guard per kind of
// release call, so every handle, GDI object and DC is given back on every path.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <utility>

namespace wd::win {

template <typename T, typename Traits>
class Unique {
 public:
  Unique() = default;
  explicit Unique(T value) : value_(value) {}
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : value_(std::exchange(other.value_, Traits::Null())) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) reset(std::exchange(other.value_, Traits::Null()));
    return *this;
  }
  ~Unique() { reset(); }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::Null(); }
  T release() { return std::exchange(value_, Traits::Null()); }
  void reset(T value = Traits::Null()) {
    if (value_ != Traits::Null()) Traits::Close(value_);
    value_ = value;
  }

 private:
  T value_ = Traits::Null();
};

struct KernelHandleTraits {
  static HANDLE Null() { return nullptr; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FileHandleTraits {
  static HANDLE Null() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct GdiObjectTraits {
  static HGDIOBJ Null() { return nullptr; }
  static void Close(HGDIOBJ h) { ::DeleteObject(h); }
};
struct MemoryDcTraits {
  static HDC Null() { return nullptr; }
  static void Close(HDC h) { ::DeleteDC(h); }
};
struct ModuleTraits {
  static HMODULE Null() { return nullptr; }
  static void Close(HMODULE h) { ::FreeLibrary(h); }
};

struct IconTraits {
  static HICON Null() { return nullptr; }
  static void Close(HICON h) { ::DestroyIcon(h); }
};
struct ImageListTraits {
  static HIMAGELIST Null() { return nullptr; }
  static void Close(HIMAGELIST h) { ::ImageList_Destroy(h); }
};

using KernelHandle = Unique<HANDLE, KernelHandleTraits>;
using FileHandle = Unique<HANDLE, FileHandleTraits>;
using GdiObject = Unique<HGDIOBJ, GdiObjectTraits>;
using MemoryDc = Unique<HDC, MemoryDcTraits>;
using Module = Unique<HMODULE, ModuleTraits>;
using Icon = Unique<HICON, IconTraits>;
using ImageList = Unique<HIMAGELIST, ImageListTraits>;  // link comctl32

// A window's DC from GetDC, released with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ::ReleaseDC(hwnd_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// BeginPaint/EndPaint for one WM_PAINT.
class PaintDc {
 public:
  explicit PaintDc(HWND hwnd) : hwnd_(hwnd) { dc_ = ::BeginPaint(hwnd, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  ~PaintDc() { ::EndPaint(hwnd_, &ps_); }
  HDC get() const { return dc_; }
  const RECT& area() const { return ps_.rcPaint; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back on scope exit.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(::SelectObject(dc, obj)) {}
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;
  ~SelectGuard() {
    if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace wd::win
