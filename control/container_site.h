#pragma once
// What the control relies on from the container that sites it: the ambient font, the
// persistent drawing surface (its size, DC, background colour and picture), the window
// that shows that surface, change notification for saving, and picture files.
// The property bag is the object the container passes to the load and save events.
#include <string>

#include "common/numbers.h"
#include "common/std_font.h"
#include "control/variant.h"
#include "draw/std_picture.h"

namespace kavrin {

class ContainerSite {
 public:
  virtual ~ContainerSite() = default;

  // The container's current font; read anew for each font property. A null result means
  // the container has none, and the control uses the default description (MS Sans Serif 8.25).
  virtual FontRef AmbientFont() = 0;
  // Records that the named property changed, so that the container saves it.
  virtual void PropertyChanged(const std::string& name) = 0;

  // Inner size of the drawing surface in pixels.
  virtual float ScaleWidth() = 0;
  virtual float ScaleHeight() = 0;
  // The surface's device context: what is drawn into it stays until the surface is cleared.
  virtual Long hDC() = 0;
  // The control's window: invalidating it shows the surface's current picture.
  virtual Long hWnd() = 0;
  // Clears the surface to its background colour.
  virtual void Cls() = 0;
  // Repaints the window from the surface at once.
  virtual void Refresh() = 0;
  // Sets the surface's background colour (an OLE_COLOR) and clears the surface, as Cls does.
  virtual void BackColor(Long color) = 0;
  // The surface's current picture as a bitmap picture (a snapshot the caller owns).
  virtual PictureRef Image() = 0;
  // Writes a picture to a new file in the Windows bitmap format; an existing file is never
  // replaced (58). A write failure raises the file error (75 path/file access, 61 disk
  // full, ...).
  virtual void SavePicture(const PictureRef& picture, const std::string& path) = 0;
};

// Named values stored with the form, each read or written with a default.
class PropertyBag {
 public:
  virtual ~PropertyBag() = default;
  // The stored value, or def when the entry is missing.
  virtual Variant ReadProperty(const std::string& name, const Variant& def) = 0;
  // Stores the value; an entry equal to its default (Variant::Equals; a font by its
  // description) is left out, and a stored entry of that name is removed.
  virtual void WriteProperty(const std::string& name, const Variant& value, const Variant& def) = 0;
};

}  // namespace kavrin
