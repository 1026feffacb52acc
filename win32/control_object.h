#pragma once
// Creation of the control's COM object, as the class factory asks for it. outer is the
// controlling unknown of an aggregate, or null; aggregation is not supported (a non-null
// outer gives CLASS_E_NOAGGREGATION).
#include <windows.h>

#include <unknwn.h>

HRESULT CreateControlObject(IUnknown* outer, REFIID riid, void** ppv);
