// The System log's power events through the Windows Event Log API (wevtapi, present since
// Windows Vista): one XPath query, read forward in batches, each event rendered as XML.
// A user without administrator rights may read the System log.
#include <windows.h>

#include <winevt.h>

#include "energy/power_record.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace wd {
namespace {

struct EvtHandleTraits {
  static EVT_HANDLE Null() { return nullptr; }
  static void Close(EVT_HANDLE h) { ::EvtClose(h); }
};
using UniqueEvt = win::Unique<EVT_HANDLE, EvtHandleTraits>;

constexpr DWORD kBatch = 32;
// Years of daily starts and sleeps are a few thousand events; a log with far more of
// them than this is not read further.
constexpr size_t kMaxEvents = 200000;

// The event as XML, or nullopt when it cannot be rendered.
std::optional<std::string> RenderXml(EVT_HANDLE event, std::vector<wchar_t>& buffer) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    DWORD used = 0, properties = 0;
    const DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::EvtRender(nullptr, event, EvtRenderEventXml, bytes, buffer.data(), &used, &properties)) {
      // `used` counts bytes, the terminating null included.
      size_t chars = used / sizeof(wchar_t);
      if (chars > buffer.size()) return std::nullopt;
      while (chars > 0 && buffer[chars - 1] == L'\0') --chars;
      return win::Narrow(std::wstring_view(buffer.data(), chars));
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
    buffer.resize(used / sizeof(wchar_t) + 1);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::string>> ReadSystemPowerEvents(DateTime since_utc) {
  const std::wstring query = win::Widen(PowerEventQuery(since_utc));
  UniqueEvt results(::EvtQuery(nullptr, L"System", query.c_str(),
                               EvtQueryChannelPath | EvtQueryForwardDirection));
  if (!results) return std::nullopt;
  std::vector<std::string> events;
  std::vector<wchar_t> buffer(4096);
  for (;;) {
    EVT_HANDLE batch[kBatch] = {};
    DWORD returned = 0;
    if (!::EvtNext(results.get(), kBatch, batch, INFINITE, 0, &returned)) {
      if (::GetLastError() == ERROR_NO_MORE_ITEMS) break;
      return std::nullopt;
    }
    // Every handle of the batch is owned before any is used.
    std::vector<UniqueEvt> owned;
    owned.reserve(returned);
    for (DWORD i = 0; i < returned && i < kBatch; ++i) owned.emplace_back(batch[i]);
    for (const UniqueEvt& event : owned) {
      auto xml = RenderXml(event.get(), buffer);
      if (!xml) return std::nullopt;
      events.push_back(std::move(*xml));
    }
    if (events.size() >= kMaxEvents) break;
  }
  return events;
}

}  // namespace wd
