#include "win32/com_error.h"

#include <cstring>
#include <string>

#include "win32/com_text.h"
#include "win32/type_library.h"

namespace kavrin::win32 {

namespace {

// The message without the "Run-time error 'n': " that the error's text starts with.
std::string MessageOf(const RuntimeError& e) {
  const char* text = e.what();
  const char* message = std::strstr(text, "': ");
  return message ? std::string(message + 3) : std::string(text);
}

}  // namespace

void Check(HRESULT hr) {
  if (FAILED(hr)) throw ComFailure{hr};
}

HRESULT ReportError(const RuntimeError& e, REFIID iid) {
  const HRESULT hr = ErrorResult(e.Number());
  ICreateErrorInfo* create = nullptr;
  if (FAILED(CreateErrorInfo(&create))) return hr;
  const std::wstring message = ToWide(MessageOf(e));
  create->SetGUID(iid);
  create->SetSource(const_cast<LPOLESTR>(kProgId));
  create->SetDescription(const_cast<LPOLESTR>(message.c_str()));
  IErrorInfo* info = nullptr;
  if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
    SetErrorInfo(0, info);
    info->Release();
  }
  create->Release();
  return hr;
}

void ClearError() { SetErrorInfo(0, nullptr); }

void FillExcepInfo(EXCEPINFO* info, HRESULT hr) {
  if (!info) return;
  if (info->bstrDescription == nullptr || info->bstrSource == nullptr) {
    IErrorInfo* error = nullptr;
    if (GetErrorInfo(0, &error) == S_OK) {
      if (!info->bstrDescription) error->GetDescription(&info->bstrDescription);
      if (!info->bstrSource) error->GetSource(&info->bstrSource);
      // Put back for callers that also ask the thread (GetErrorInfo takes it away).
      SetErrorInfo(0, error);
      error->Release();
    }
  }
  // Only one of the two codes is set: the caller reads scode when wCode is 0.
  info->wCode = 0;
  info->scode = hr;
}

}  // namespace kavrin::win32
