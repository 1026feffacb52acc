#pragma once
// The control's type library as the object uses it at run time: loaded from this module's
// TYPELIB resource, its types found by the GUIDs the automation table in control/ holds.
#include <windows.h>
#include <oaidl.h>

#include <string_view>

namespace kavrin::win32 {

inline constexpr const wchar_t* kProgId = L"KavrinLineChartProj.KavrinLineChart";

// The GUID of a type of the library, by name ("KavrinLineChart", "_KavrinLineChart",
// "__KavrinLineChart"); GUID_NULL for a name the table does not hold.
GUID TypeGuid(std::string_view typeName);

// The GUIDs the object answers with: its class, its dual interface and its (empty) event
// interface, read once from the automation table.
const GUID& ClassId();
const GUID& DispatchIid();
const GUID& EventsIid();

// The type description of that GUID (interface or coclass) from this module's library.
HRESULT LoadTypeInfo(REFGUID guid, ITypeInfo** out);

}  // namespace kavrin::win32
