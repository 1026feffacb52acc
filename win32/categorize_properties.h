#pragma once
// ICategorizeProperties: how a property browser asks a control to group its properties.
// The Windows SDK declares it in ocidl; the mingw headers do not, so it is declared here
// with its published IID.
#include <windows.h>
#include <unknwn.h>

typedef int PROPCAT;

#ifndef __ICategorizeProperties_INTERFACE_DEFINED__
#define __ICategorizeProperties_INTERFACE_DEFINED__
inline constexpr IID IID_ICategorizeProperties = {
    0x4D07FC10, 0xF931, 0x11CE, {0xB0, 0x01, 0x00, 0xAA, 0x00, 0x68, 0x84, 0xE5}};

struct ICategorizeProperties : public IUnknown {
  // The category of a property: a predefined one (negative) or one of the control's own.
  virtual HRESULT STDMETHODCALLTYPE MapPropertyToCategory(DISPID dispid, PROPCAT* category) = 0;
  // The display name of one of the control's own categories.
  virtual HRESULT STDMETHODCALLTYPE GetCategoryName(PROPCAT category, LCID lcid, BSTR* name) = 0;
};
#endif
