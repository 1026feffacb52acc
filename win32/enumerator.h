#pragma once
// A COM enumerator over a snapshot of items (IEnumConnectionPoints, IEnumConnections): each
// item handed out carries a reference of its own. The enumerator is an object of its own
// with its own count, and keeps the module loaded while it lives.
#include <windows.h>
#include <ocidl.h>

#include <utility>
#include <vector>

#include "win32/module.h"

namespace kavrin::win32 {

// How an item is referenced and let go: Item is an interface pointer or CONNECTDATA.
inline void AddItemRef(IUnknown* item) { item->AddRef(); }
inline void ReleaseItem(IUnknown* item) { item->Release(); }
inline void AddItemRef(const CONNECTDATA& item) { item.pUnk->AddRef(); }
inline void ReleaseItem(const CONNECTDATA& item) { item.pUnk->Release(); }

template <typename Interface, typename Item>
class Enumerator final : public Interface {
 public:
  // Takes the items with a reference each.
  Enumerator(const IID& iid, std::vector<Item> items, size_t position = 0)
      : iid_(iid), items_(std::move(items)), position_(position) {
    for (const Item& item : items_) AddItemRef(AsRef(item));
    ModuleLock();
  }
  ~Enumerator() {
    for (const Item& item : items_) ReleaseItem(AsRef(item));
    ModuleUnlock();
  }
  Enumerator(const Enumerator&) = delete;
  Enumerator& operator=(const Enumerator&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == iid_) {
      *ppv = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
  }
  STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override {
    if (!out || (count > 1 && !fetched)) return E_POINTER;
    ULONG n = 0;
    for (; n < count && position_ < items_.size(); ++n, ++position_) {
      out[n] = items_[position_];
      AddItemRef(AsRef(out[n]));
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    const size_t left = items_.size() - position_;
    position_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    position_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(Interface** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    try {
      *out = new Enumerator(iid_, items_, position_);
    } catch (...) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }

 private:
  static IUnknown* AsRef(IUnknown* item) { return item; }
  static const CONNECTDATA& AsRef(const CONNECTDATA& item) { return item; }

  LONG refs_ = 1;
  IID iid_;
  std::vector<Item> items_;
  size_t position_;
};

}  // namespace kavrin::win32
