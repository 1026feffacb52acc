#pragma once
// Makes a new control object (the class factory's CreateInstance). Aggregation is not
// supported: a non-null outer gives CLASS_E_NOAGGREGATION.
#include <windows.h>
#include <unknwn.h>

HRESULT CreateControlObject(IUnknown* outer, REFIID riid, void** ppv);
