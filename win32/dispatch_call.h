#pragma once
// One late-bound call as the type library's Invoke receives it. A method gets every one of
// its parameters by position: named arguments are put in their places and the optional ones
// left out get their defaults as values, so no by-reference default ever reaches a vtable
// method where an address belongs. A property takes no argument to be read and exactly one to
// be written. Colours travel to dispatch callers as Longs (VT_I4) and are taken from them as
// Longs too. What is refused gets the standard dispatch error.
//
// Call order: Arrange, then Invoke the type library with Params(), then Finish.
#include <windows.h>
#include <oleauto.h>

#include <vector>

#include "control/automation.h"

namespace kavrin::win32 {

class DispatchCall {
 public:
  explicit DispatchCall(const MemberInfo& member) : member_(member) {}
  ~DispatchCall();
  DispatchCall(const DispatchCall&) = delete;
  DispatchCall& operator=(const DispatchCall&) = delete;

  // S_OK, or the dispatch error; *argErr (when given) then names the caller's argument at
  // fault where there is one. Raises std::bad_alloc only.
  HRESULT Arrange(WORD flags, DISPPARAMS* given, UINT* argErr);
  DISPPARAMS* Params() { return &params_; }
  // After the type library refused an argument with hr (a type mismatch or an overflow):
  // the caller's index of the first one that does not convert to its parameter's type so.
  // (Type libraries differ in how they count their own index.) ~0u when none is found.
  UINT ArgumentAtFault(HRESULT hr) const;
  // Hands the caller's arguments back as the member left them (a Variant given by value
  // holds what the member wrote into it) and, after a colour read, the colour as a Long.
  void Finish(HRESULT hr, VARIANT* result);

 private:
  HRESULT ArrangeProperty(WORD flags, const DISPPARAMS& given, UINT* argErr);
  HRESULT ArrangeMethod(WORD flags, const DISPPARAMS& given, UINT* argErr);
  bool IsColor() const;

  const MemberInfo& member_;
  VARIANT* callerArgs_ = nullptr;
  DISPPARAMS params_{};
  std::vector<VARIANT> args_;      // what Params() holds when it is not the caller's own list
  std::vector<bool> owned_;        // per entry of args_: made here and cleared here, else the
                                   // caller's argument, copied
  std::vector<UINT> callerIndex_;  // per entry of args_: the caller's index, or kNone
};

}  // namespace kavrin::win32
