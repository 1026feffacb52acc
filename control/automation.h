#pragma once
// The control's automation interface as data (type library, members of _KavrinLineChart
// in vtable order with DISPIDs, kinds, parameters, help strings and property-browser
// categories) and late-bound calls by name or DISPID with the automation coercions.
//
// Invoke's argument list is in declaration order (first parameter first). Optional
// arguments may be left off the end or passed as Variant::Missing(). Errors are run-time
// errors: 438 unknown member or unsupported kind, 449 a required argument missing, 450
// wrong number of arguments, 13 an argument that does not convert, 91 Nothing where a
// value is needed; errors of the member itself pass through unchanged.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "control/variant.h"

namespace kavrin {

class KavrinLineChart;

using DispId = int32_t;

// Invocation kinds, as the IDispatch flags; a method may also be called as a property get.
enum InvokeKind : uint16_t {
  kInvokeMethod = 1,
  kInvokeGet = 2,
  kInvokeLet = 4,  // property put
  kInvokeSet = 8,  // property put of an object reference
};

constexpr DispId kPropertyDispIdBase = 0x68030000;
constexpr DispId kMethodDispIdBase = 0x6003001E;

enum class MemberKind : uint8_t { kProperty, kMethod };

struct ParamInfo {
  std::string name;
  std::string typeName;  // automation type: "Integer", "OLE_COLOR", "Picture", "Variant", ...
  VarType type;          // what the argument is converted to; kEmpty: passed as it comes
  bool byRef = true;
  bool optional = false;
  Variant defaultValue;  // Missing when an optional parameter has no default
};

struct MemberInfo {
  int index = 0;  // position in the vtable order, 1-based
  std::string name;
  DispId dispid = 0;
  MemberKind kind = MemberKind::kProperty;
  bool canGet = false;
  bool canLet = false;
  bool canSet = false;
  std::string typeName;  // property type, or a method's result ("" for none)
  VarType type = VarType::kEmpty;
  std::vector<ParamInfo> params;  // a property has its one New_ parameter
  std::string helpString;         // UTF-8; empty when the member has none
  std::string category;           // properties only: the property browser's group
};

// The 30 members of _KavrinLineChart in vtable order.
const std::vector<MemberInfo>& ControlMembers();
// Null when nothing matches; names compare case-insensitively.
const MemberInfo* FindMember(DispId dispid);
const MemberInfo* FindMember(std::string_view name);

// The member's DISPID, 438 for an unknown name.
DispId GetIDOfName(std::string_view name);
// names[0] is a member, the rest are its parameter names (their DISPIDs are their
// positions, 0-based); an unknown member raises 438, an unknown parameter 448.
std::vector<DispId> GetIDsOfNames(const std::vector<std::string>& names);

// Calls a member late-bound. By-reference arguments that the member changes (the folder
// of ExportPicture and ExportData) are written back into args.
Variant Invoke(KavrinLineChart& control, DispId dispid, uint16_t kind, std::vector<Variant>& args);
Variant InvokeByName(KavrinLineChart& control, std::string_view name, uint16_t kind,
                     std::vector<Variant>& args);

// ---- the type library ----

enum class TypeKind : uint8_t { kCoclass, kDualInterface, kDispInterface };

struct TypeInfoEntry {
  std::string name;
  std::string guid;  // registry form, braces included
  TypeKind kind = TypeKind::kCoclass;
  bool control = false;      // coclass marked as a control
  bool creatable = true;     // coclass
  bool hidden = false;       // interface
  bool nonextensible = false;
  std::string defaultInterface;        // coclass
  std::string defaultSourceInterface;  // coclass
  uint32_t miscStatus = 0;             // coclass: OLEMISC flags it is registered with
  int toolboxBitmap = 0;               // coclass: resource id
  std::vector<std::string> members;    // interfaces: member names in slot order
};

struct TypeLibraryInfo {
  std::string name;
  std::string libid;
  uint16_t majorVersion = 0;
  uint16_t minorVersion = 0;
  uint32_t lcid = 0;
  std::string helpString;
  bool control = false;
  std::vector<TypeInfoEntry> types;
};

const TypeLibraryInfo& ControlTypeLibrary();
const TypeInfoEntry* FindType(std::string_view name);

}  // namespace kavrin
