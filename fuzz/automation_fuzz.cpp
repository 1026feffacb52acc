// Fuzzes late-bound calls on the control: a sequence of Invoke calls with any member (or any
// DISPID), any invoke kind and any argument list of any types, on a control sited on a form
// (configured, with size changes in between) or on one that was never configured. A call
// may only end in a run-time error; anything else (another exception, a crash, a sanitizer
// report, a leak, a log left open or drawing objects left alive after the form is gone)
// is a finding.
//
// Bounds kept by the harness, so that an input cannot legitimately ask for gigabytes:
// surfaces are at most 640 x 480 and point pictures at most 64 x 64. Files are written only
// inside a scratch folder (the current folder during the run), emptied after each input;
// About finds no display and raises its error.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "chart/log_slot.h"
#include "common/vb_error.h"
#include "control/automation.h"
#include "control/kavrin_line_chart.h"
#include "draw/gdi_host.h"
#include "draw/win32.h"
#include "host/form.h"
#include "host/standard_controls.h"

namespace {

namespace fs = std::filesystem;
using kavrin::DispId;
using kavrin::Variant;

constexpr int kMaxSurface = 640;
constexpr int kMaxPicture = 64;
constexpr size_t kMaxText = 64;
constexpr size_t kMaxArgs = 7;
constexpr int kMaxCalls = 64;

fs::path g_scratch;

// Reads the input front to back; past its end every read gives zeros.
class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  bool Done() const { return p_ >= end_; }
  uint8_t U8() { return p_ < end_ ? *p_++ : 0; }
  uint16_t U16() { return static_cast<uint16_t>(U8() | (U8() << 8)); }
  uint32_t U32() { return U16() | (static_cast<uint32_t>(U16()) << 16); }
  double F64() {
    uint64_t bits = U32() | (static_cast<uint64_t>(U32()) << 32);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }
  std::string Text() {
    const size_t n = std::min<size_t>(U8() % (kMaxText + 1), static_cast<size_t>(end_ - std::min(p_, end_)));
    std::string s(reinterpret_cast<const char*>(p_), n);
    p_ += n;
    return s;
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

// Numbers that reach the edges of the conversions more often than random bits do.
double NotableDouble(uint8_t k) {
  static const double table[] = {0, -0.0, 0.5, 1.5, 2.5, -1, 32767.5, 32768, -32768.5, 2147483647.5,
                                 -2147483648.5, 1e15, 1e308, -1e308, 1e-320, 5e-324,
                                 std::numeric_limits<double>::infinity(),
                                 -std::numeric_limits<double>::infinity(),
                                 std::numeric_limits<double>::quiet_NaN()};
  return table[k % (sizeof table / sizeof table[0])];
}

kavrin::FontRef MakeFont(Bytes& in) {
  auto font = std::make_shared<kavrin::StdFont>();
  if (in.U8() & 1) font->Name(in.Text());
  const uint8_t how = in.U8();
  try {
    if (how & 1) font->Size(static_cast<double>(static_cast<int16_t>(in.U16())) / 4);
    if (how & 2) font->Size(in.F64());
  } catch (const kavrin::RuntimeError&) {
  }
  if (how & 4) font->Bold(true);
  if (how & 8) font->Italic(true);
  if (how & 16) font->Underline(true);
  if (how & 32) font->Weight(static_cast<int16_t>(in.U16()));
  return font;
}

kavrin::PictureRef MakePicture(Bytes& in) {
  const int w = 1 + in.U8() % kMaxPicture;
  const int h = 1 + in.U8() % kMaxPicture;
  const int bits = (in.U8() & 1) ? 32 : 1;
  HBITMAP bmp = CreateBitmap(w, h, 1, bits, nullptr);
  if (bmp == nullptr) return nullptr;
  return std::make_shared<kavrin::StdPicture>(bmp);
}

Variant MakeArg(Bytes& in) {
  switch (in.U8() % 14) {
    case 0: return Variant();
    case 1: return Variant::Missing();
    case 2: return Variant::Nothing();
    case 3: return Variant::FromInteger(static_cast<kavrin::Integer>(in.U16()));
    case 4: return Variant::FromLong(static_cast<kavrin::Long>(in.U32()));
    case 5: return Variant(in.F64());
    case 6: return Variant(NotableDouble(in.U8()));
    case 7: return Variant::FromBoolean((in.U8() & 1) ? kavrin::True : kavrin::False);
    case 8: return Variant(MakeFont(in));
    case 9: return Variant(MakePicture(in));
    case 10: return Variant::FromInteger(static_cast<kavrin::Integer>(static_cast<int8_t>(in.U8())));
    default: return Variant(in.Text());
  }
}

// Folder arguments of the export methods point into the scratch folder (or to a folder that
// does not exist), and file names lose their separators: a call can create files only there.
void ConfineToScratch(const kavrin::MemberInfo& m, std::vector<Variant>& args) {
  if (m.name != "ExportData" && m.name != "ExportPicture") return;
  const size_t folder = m.name == "ExportData" ? 1 : 0;
  const size_t name = folder + 1;
  if (folder < args.size() && args[folder].Type() == kavrin::VarType::kString) {
    const std::string s = args[folder].ToString();
    static const char* const choices[] = {"", ".", "./", ".\\", "missing", "missing\\", " ", "\\"};
    const uint8_t k = s.empty() ? 0 : static_cast<uint8_t>(s[0]);
    std::string chosen = choices[k % 8];
    if (k % 8 == 7) chosen = g_scratch.string() + "\\";
    args[folder] = Variant(chosen);
  }
  if (name < args.size() && args[name].Type() == kavrin::VarType::kString) {
    std::string s = args[name].ToString();
    for (char& c : s) {
      if (c == '/' || c == '\\') c = '_';
    }
    args[name] = Variant(s);
  }
}

void Call(kavrin::KavrinLineChart& control, Bytes& in) {
  const auto& members = kavrin::ControlMembers();
  const uint8_t pick = in.U8();
  DispId id;
  if (pick < 240) {
    id = members[pick % members.size()].dispid;
  } else if (pick < 250) {
    id = static_cast<DispId>(in.U32());
  } else {
    id = members[pick % members.size()].dispid + static_cast<int8_t>(in.U8());
  }
  const uint8_t kindPick = in.U8();
  static const uint16_t kinds[] = {kavrin::kInvokeMethod, kavrin::kInvokeGet, kavrin::kInvokeLet, kavrin::kInvokeSet,
                                   kavrin::kInvokeMethod | kavrin::kInvokeGet};
  const uint16_t kind = kindPick < 200 ? kinds[kindPick % 5] : in.U16();
  std::vector<Variant> args(in.U8() % (kMaxArgs + 1));
  for (auto& a : args) a = MakeArg(in);
  if (const kavrin::MemberInfo* m = kavrin::FindMember(id)) ConfineToScratch(*m, args);
  try {
    kavrin::Invoke(control, id, kind, args);
  } catch (const kavrin::RuntimeError&) {
  }
}

void EmptyScratch() {
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(g_scratch, ec)) fs::remove_all(e.path(), ec);
}

void Run(Bytes& in) {
  kavrin::host::Form form;
  kavrin::host::RegisterStandardControls(form);
  const uint8_t mode = in.U8();
  const int w = 1 + in.U16() % kMaxSurface;
  const int h = 1 + in.U16() % (kMaxSurface * 3 / 4);
  kavrin::host::ControlSite& site = form.Add("KavrinLineChart", "", w, h);
  // Unconfigured: a second control on the same site that never gets a Resize (with or
  // without its new-instance values).
  std::unique_ptr<kavrin::KavrinLineChart> loose;
  if (mode & 1) {
    loose = std::make_unique<kavrin::KavrinLineChart>(site);
    if (mode & 2) loose->InitProperties();
  }
  kavrin::KavrinLineChart& control = loose ? *loose : *site.ControlAs<kavrin::KavrinLineChart>();
  for (int i = 0; i < kMaxCalls && !in.Done(); ++i) {
    // Now and then the container resizes the configured control: the settings reach a
    // new engine.
    if (!loose && in.U8() == 0xFF) {
      try {
        site.SetSize(1 + in.U16() % kMaxSurface, 1 + in.U16() % (kMaxSurface * 3 / 4));
      } catch (const kavrin::RuntimeError&) {
      }
      continue;
    }
    Call(control, in);
  }
  loose.reset();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  unsetenv("DISPLAY");
  g_scratch = fs::temp_directory_path() / ("kavrin-automation-fuzz-" + std::to_string(getpid()));
  fs::create_directories(g_scratch);
  fs::current_path(g_scratch);
  std::atexit([] {
    std::error_code ec;
    fs::current_path(fs::temp_directory_path(), ec);
    fs::remove_all(g_scratch, ec);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const kavrin::gdi::LiveObjects before = kavrin::gdi::CountLiveObjects();
  Bytes in(data, size);
  try {
    Run(in);
  } catch (const kavrin::RuntimeError&) {
    // Placing the control or a resize may fail with a run-time error; that is a
    // legitimate outcome.
  }
  EmptyScratch();
  if (kavrin::LogSlot::IsOpen()) std::abort();  // every chart is gone: the log must be closed
  if (!(kavrin::gdi::CountLiveObjects() == before)) std::abort();
  return 0;
}
