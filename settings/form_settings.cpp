#include "settings/form_settings.h"

#include "platform/handles.h"

namespace wd::settings {

TFormSettings::TFormSettings() {
  win::WindowParams params;
  params.class_name = L"TFormSettings";
  params.caption = L"能源耗用管理";
  params.style = WS_OVERLAPPEDWINDOW;
  params.width = 640;
  params.height = 480;
  Create(params);
}

void TFormSettings::OnPaint(HDC dc, const RECT& area) {
  ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace wd::settings
