// Completes a type library written by widl: widl stores a text default only on a by-value
// BSTR, so make_idl writes each by-reference String parameter that has a text default as
// by-value [in, optional, defaultvalue(...)], and this tool turns every such parameter
// into the by-reference one it is: type BSTR*, flags in, out, optional, has-default.
//
//   tlb_byref_text LIBRARY.tlb
//
// Nothing else in the library writes that combination (make_idl writes by-value BSTR only
// for property puts, which have no default). The file is the MSFT format widl writes.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kMagic = 0x5446534D;  // "MSFT"
constexpr size_t kHeaderSize = 0x54;
constexpr uint32_t kHelpDllFlag = 0x100;
constexpr size_t kTypeInfoSize = 0x64;
constexpr int kSegTypeInfo = 0;
constexpr int kSegTypeDesc = 9;
constexpr size_t kSegEntrySize = 16;
constexpr uint32_t kVtPtr = 26;
constexpr uint32_t kBstrByValue = 0x80080008;  // a base type written in place: VT_BSTR
constexpr uint32_t kParamIn = 0x1, kParamOut = 0x2, kParamOpt = 0x10, kParamHasDefault = 0x20;
// The description size widl adds to a function for one pointer parameter (checked against
// widl 8 output: [in, out] BSTR* counts 8 more than [in] BSTR).
constexpr int kPointerDescSize = 8;

class Library {
 public:
  explicit Library(std::vector<uint8_t> bytes) : b_(std::move(bytes)) {}
  const std::vector<uint8_t>& Bytes() const { return b_; }

  uint32_t U32(size_t at) const {
    Need(at, 4);
    uint32_t v;
    std::memcpy(&v, &b_[at], 4);
    return v;
  }
  void Put32(size_t at, uint32_t v) {
    Need(at, 4);
    std::memcpy(&b_[at], &v, 4);
  }
  int16_t I16(size_t at) const {
    Need(at, 2);
    int16_t v;
    std::memcpy(&v, &b_[at], 2);
    return v;
  }
  void Put16(size_t at, int16_t v) {
    Need(at, 2);
    std::memcpy(&b_[at], &v, 2);
  }

 private:
  void Need(size_t at, size_t n) const {
    if (at > b_.size() || b_.size() - at < n) throw std::runtime_error("truncated type library");
  }
  std::vector<uint8_t> b_;
};

int Patch(Library& lib) {
  if (lib.U32(0) != kMagic) throw std::runtime_error("not an MSFT type library");
  const uint32_t typeInfos = lib.U32(0x20);
  const size_t segDir = kHeaderSize + ((lib.U32(0x14) & kHelpDllFlag) ? 4 : 0) + size_t{typeInfos} * 4;
  const size_t typeInfoTab = lib.U32(segDir + kSegTypeInfo * kSegEntrySize);
  const size_t typeDescTab = lib.U32(segDir + kSegTypeDesc * kSegEntrySize);
  const size_t typeDescLen = lib.U32(segDir + kSegTypeDesc * kSegEntrySize + 4);

  // The type description of BSTR*, which the by-reference String parameters already use.
  int64_t bstrRef = -1;
  for (size_t off = 0; off + 8 <= typeDescLen; off += 8) {
    if ((lib.U32(typeDescTab + off) & 0xFFFF) == kVtPtr && lib.U32(typeDescTab + off + 4) == kBstrByValue)
      bstrRef = static_cast<int64_t>(off);
  }
  if (bstrRef < 0) throw std::runtime_error("no BSTR* type description in the library");

  int patched = 0;
  for (uint32_t t = 0; t < typeInfos; ++t) {
    const size_t base = typeInfoTab + t * kTypeInfoSize;
    const size_t records = lib.U32(base + 4);
    const uint32_t functions = lib.U32(base + 0x18) & 0xFFFF;
    if (functions == 0 || records >= lib.Bytes().size()) continue;
    size_t rec = records + 4;
    for (uint32_t f = 0; f < functions; ++f) {
      const size_t size = lib.U32(rec) & 0xFFFF;
      const int args = lib.I16(rec + 20);
      if (size == 0 || args < 0 || size < 24 + size_t(args) * 12) throw std::runtime_error("damaged function record");
      for (int a = 0; a < args; ++a) {
        const size_t param = rec + size - size_t(args - a) * 12;
        const uint32_t flags = lib.U32(param + 8);
        if (lib.U32(param) != kBstrByValue || flags != (kParamIn | kParamOpt | kParamHasDefault)) continue;
        lib.Put32(param, static_cast<uint32_t>(bstrRef));
        lib.Put32(param + 8, flags | kParamOut);
        lib.Put16(rec + 14, static_cast<int16_t>(lib.I16(rec + 14) + kPointerDescSize));
        ++patched;
      }
      rec += size;
    }
  }
  return patched;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: tlb_byref_text LIBRARY.tlb\n";
    return 2;
  }
  try {
    std::ifstream in(argv[1], std::ios::binary);
    Library lib(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}));
    if (!in.eof() && in.fail()) throw std::runtime_error("cannot read the library");
    const int patched = Patch(lib);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(lib.Bytes().data()), static_cast<std::streamsize>(lib.Bytes().size()));
    if (!out.flush()) throw std::runtime_error("cannot write the library");
    std::printf("tlb_byref_text: %d parameter(s) made by-reference\n", patched);
  } catch (const std::exception& e) {
    std::cerr << "tlb_byref_text: " << argv[1] << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}
