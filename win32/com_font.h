#pragma once
// The host's font objects (StdFont, IFont / IFontDisp) as the control and the chart see
// them. Those keep a font as a shared StdFont description; here each COM font the control
// receives gets a description of its own that holds a reference to the COM font and is
// refreshed from it before the control configures or draws, so a change the host makes to
// its font shows at the next configuration. The COM font itself is never copied: a font
// property reads back the object that was set.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <memory>
#include <vector>

#include "common/std_font.h"

namespace kavrin::win32 {

class FontLinks {
 public:
  // A description linked to the font object (an IFont or IFontDisp); null for no object.
  // An object that is not a font raises 13.
  FontRef Link(IUnknown* font);
  // A new font object of the default description (MS Sans Serif 8.25), linked.
  FontRef NewDefault();
  // Copies each linked font's current attributes into its description.
  void Refresh();

 private:
  std::vector<std::weak_ptr<StdFont>> links_;
};

// The font object behind a description, as a new IFontDisp reference (null for null). A
// description no COM font stands behind gets a new font object made from it.
IFontDisp* ComFont(const FontRef& font);

// A new font object with the description's attributes; raises 7 when none can be made.
IFont* CreateComFont(const StdFont& description);

}  // namespace kavrin::win32
