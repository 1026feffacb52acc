#pragma once
// The automation VARIANT and the control's Variant: what property bags hand over.
#include <windows.h>
#include <oleauto.h>

#include "control/variant.h"
#include "win32/com_font.h"

namespace kavrin::win32 {

// A by-reference value is read through its reference. Numbers, text, Booleans, Empty and
// font objects (linked through fonts) convert; an object reference to nothing is Nothing;
// anything else raises 13, as a value of no type the control knows: arrays, a null
// reference, a reference to a reference, an invalid type number.
Variant FromVariant(const VARIANT& value, FontLinks& fonts);

// Fills out (which holds nothing yet); a font becomes its font object as VT_DISPATCH.
// A picture or Missing raise 13.
void ToVariant(const Variant& value, VARIANT* out);

}  // namespace kavrin::win32
