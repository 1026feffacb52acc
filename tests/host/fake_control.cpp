#include "tests/host/fake_control.h"

#include "draw/win32.h"

namespace kavrin::test {

std::vector<std::string>& FakeChart::Log() {
  static std::vector<std::string> log;
  return log;
}

void FakeChart::InitProperties() {
  Log().push_back(name + ":InitProperties");
  titleFont = site_.AmbientFont();
}

void FakeChart::ReadProperties(PropertyBag& bag) {
  Log().push_back(name + ":ReadProperties");
  color = bag.ReadProperty("Color", Variant(Long{32768})).ToLong();
  title = bag.ReadProperty("Title", "Fake Chart").ToString();
  zoom = bag.ReadProperty("Zoom", Variant::FromInteger(1)).ToDouble();
  pos = bag.ReadProperty("Pos", Variant::FromInteger(3)).ToInteger();
  shown = bag.ReadProperty("Shown", Variant::FromInteger(1)).ToBoolean();
  titleFont = bag.ReadProperty("TitleFont", Variant(site_.AmbientFont())).ToFont();
  unit = bag.ReadProperty("Unit", "").ToString();
}

void FakeChart::WriteProperties(PropertyBag& bag) {
  Log().push_back(name + ":WriteProperties");
  bag.WriteProperty("Color", Variant(color), Variant(Long{32768}));
  bag.WriteProperty("Title", Variant(title), "Fake Chart");
  bag.WriteProperty("Zoom", Variant(zoom), Variant::FromInteger(1));
  bag.WriteProperty("Pos", Variant::FromInteger(pos), Variant::FromInteger(3));
  bag.WriteProperty("Shown", Variant::FromBoolean(shown), Variant::FromInteger(1));
  bag.WriteProperty("TitleFont", Variant(titleFont), Variant(site_.AmbientFont()));
  bag.WriteProperty("Unit", Variant(unit), "");
}

void FakeChart::Resize() {
  Log().push_back(name + ":Resize");
  ++resizes;
  site_.Cls();
  HDC dc = static_cast<HDC>(LongToHandle(site_.hDC()));
  const int w = static_cast<int>(site_.ScaleWidth());
  const int h = static_cast<int>(site_.ScaleHeight());
  HPEN pen = CreatePen(PS_SOLID, 1, static_cast<COLORREF>(color));
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, w - 1, h - 1);
  SelectObject(dc, old);
  DeleteObject(pen);
  RECT rc{10, 10, w / 2, h / 2};
  HBRUSH brush = CreateSolidBrush(RGB(200, 30, 60));
  FillRect(dc, &rc, brush);
  DeleteObject(brush);
  InvalidateRect(static_cast<HWND>(LongToHandle(site_.hWnd())), &rc, FALSE);
  site_.Refresh();
}

void FakeChart::Terminate() { Log().push_back(name + ":Terminate"); }

}  // namespace kavrin::test
