#pragma once
// The one place where a failure inside the control becomes a COM result. A run-time error
// n leaves as HRESULT 0x800A0000 + n with its standard message in the thread's error info
// (IErrorInfo, source and interface of the control); a failure of a COM service the
// control called passes on as it came; nothing leaves as a C++ exception.
#include <windows.h>
#include <oleauto.h>

#include <exception>
#include <new>

#include "common/vb_error.h"

namespace kavrin::win32 {

// A failure reported by a COM service the control called (a bag's Read, a stream's Write):
// raised inside the control and returned unchanged to its caller.
struct ComFailure {
  HRESULT hr;
};

// Raises ComFailure when hr is a failure.
void Check(HRESULT hr);

// 0x800A0000 + n: the result a run-time error n leaves a COM method with.
constexpr HRESULT ErrorResult(int number) { return static_cast<HRESULT>(0x800A0000u + (number & 0xFFFF)); }

// Records the error (number and message) as the thread's error info for the interface and
// returns its result.
HRESULT ReportError(const RuntimeError& e, REFIID iid);
// Clears the thread's error info: a method that succeeds leaves none behind.
void ClearError();

// Fills an EXCEPINFO from the thread's error info, for a late-bound caller: scode is the
// result, the description and source come from the error info when there is one.
void FillExcepInfo(EXCEPINFO* info, HRESULT hr);

// Runs body (returning void or HRESULT) and turns whatever it raises into a result.
template <typename Body>
HRESULT Guard(REFIID iid, Body&& body) noexcept {
  try {
    ClearError();
    if constexpr (std::is_same_v<decltype(body()), void>) {
      body();
      return S_OK;
    } else {
      return body();
    }
  } catch (const RuntimeError& e) {
    return ReportError(e, iid);
  } catch (const ComFailure& f) {
    return f.hr;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace kavrin::win32
