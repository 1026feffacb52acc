#pragma once
// The automation variant: what a property bag stores and what a late-bound caller passes
// to the control. Coercions follow the automation rules: a Double becomes an Integer or
// Long by rounding half to even (6 when out of range), numeric text converts ("12",
// "1.5e1", " -3 "), other text raises 13, Boolean True is -1.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "common/numbers.h"
#include "common/std_font.h"
#include "draw/std_picture.h"

namespace kavrin {

enum class VarType : uint8_t {
  kEmpty,    // never assigned: 0, "" or False in a value context
  kMissing,  // an optional argument the caller left out
  kInteger,  // 16-bit signed
  kLong,     // 32-bit signed
  kDouble,
  kString,   // UTF-8
  kBoolean,  // 16-bit, True = -1
  kFont,     // an OLE font object (shared, never copied)
  kPicture,  // an OLE picture object (shared)
  kNothing,  // an object reference that refers to no object
};

// The automation name of a type ("Integer", "String", "Font", ...).
const char* VarTypeName(VarType t);

class Variant {
 public:
  Variant() = default;  // Empty
  Variant(Long v) : type_(VarType::kLong), num_(v) {}  // NOLINT: implicit by design
  Variant(double v) : type_(VarType::kDouble), dbl_(v) {}  // NOLINT
  Variant(std::string v) : type_(VarType::kString), str_(std::move(v)) {}  // NOLINT
  Variant(const char* v) : type_(VarType::kString), str_(v) {}  // NOLINT
  Variant(bool) = delete;  // a Boolean is made with FromBool or FromBoolean
  // A null reference is Nothing.
  Variant(FontRef f);  // NOLINT
  Variant(PictureRef p);  // NOLINT

  // Integer and Boolean share their C++ type, so they are made by name.
  static Variant FromInteger(Integer v);
  static Variant FromLong(Long v) { return Variant(v); }
  static Variant FromDouble(double v) { return Variant(v); }
  static Variant FromBoolean(Boolean v);
  static Variant FromBool(bool v) { return FromBoolean(kavrin::ToBoolean(v)); }
  static Variant Missing();
  static Variant Nothing();

  VarType Type() const { return type_; }
  const char* TypeName() const { return VarTypeName(type_); }
  bool IsEmpty() const { return type_ == VarType::kEmpty; }
  bool IsMissing() const { return type_ == VarType::kMissing; }
  bool IsNumeric() const;  // Integer, Long, Double, Boolean
  bool IsObject() const {
    return type_ == VarType::kFont || type_ == VarType::kPicture || type_ == VarType::kNothing;
  }

  // Coercions. Missing and an object in a value context raise 13, Nothing raises 91.
  Integer ToInteger() const;
  Long ToLong() const;
  double ToDouble() const;
  std::string ToString() const;
  Boolean ToBoolean() const;
  // A font or Nothing (null); anything else raises 13.
  FontRef ToFont() const;
  PictureRef ToPicture() const;

  // The property bag's comparison with a default: numbers by value across Integer, Long,
  // Double and Boolean (a Double 1 equals the Integer 1, a Boolean True is -1), texts
  // exactly, fonts by description, pictures by identity; Empty equals 0 and "".
  bool Equals(const Variant& other) const;

 private:
  VarType type_ = VarType::kEmpty;
  Long num_ = 0;  // Integer, Long, Boolean
  double dbl_ = 0;
  std::string str_;
  FontRef font_;
  PictureRef pic_;
};

// Parses a number in text form: blanks around it, an optional sign, digits with an optional
// fraction ("." or the user's decimal separator) and an optional exponent (E or D), or
// &H / &O integers. nullopt for anything else; an exponent beyond the Double range gives
// an infinity (the caller's conversion then overflows).
std::optional<double> ParseNumber(std::string_view text);
// The same with a given user decimal separator (0: "." only).
std::optional<double> ParseNumber(std::string_view text, char userDecimal);

// The general text of a Double: up to 15 significant digits, exponent form outside
// 1E-5 .. 1E15 ("1.5", "-50", "1E-05", "1.23456789012346E+17").
std::string NumberText(double v);

}  // namespace kavrin
