#pragma once
// The text a form is saved as: readable, one entry per line, fonts as nested blocks.
//
//   Begin Form Form1
//      Begin KavrinLineChart KavrinLineChart1
//         _Width = 320&
//         Title = "Pressure \"A\"\n2nd line"
//         Zoom = 1.5#
//         TitlePos = 2%
//         bValueLineDisp = True
//         BeginProperty Font TitleFont
//            Name = "Arial"
//            Size = 8.25#
//            ...
//         EndProperty
//         BeginProperty Lines
//            Key1 = "pressure"
//            Color1 = 65535&
//         EndProperty
//      End
//   End
//
// The Lines block (at most one per control) keeps the host's lines:
// Key<n> and Color<n> for the lines 1, 2, ... in order. Forms without it load as before.
// Values carry their type: "text" String (escapes \" \\ \n \r \t \xHH), True / False
// Boolean, 12% Integer, 12& Long, 1.5# Double (C locale, shortest exact form; Inf#, -Inf#,
// NaN#), Empty, Nothing. A number without a suffix is an Integer when it fits, else a
// Long, else a Double. Blank lines and lines starting with ' are ignored.
// The structure is checked when the text is read; a value is decoded when the control
// reads it, so that a bad value stops loading at its own entry. Both raise 13 (6 for a
// number outside its type) with the line number in the message.
#include <string>
#include <string_view>
#include <vector>

#include "control/variant.h"

namespace kavrin::host {

// One entry as read: the text right of "=", or a font block's attribute entries.
struct TextEntry {
  std::string name;
  int line = 0;  // of the entry, or of BeginProperty for a font
  bool font = false;
  std::string value;
  std::vector<TextEntry> attributes;
};

struct ControlText {
  std::string className;
  std::string name;
  int line = 0;
  std::vector<TextEntry> entries;
  std::vector<TextEntry> lines;  // the entries of its Lines block
};

struct FormText {
  std::string name;
  std::vector<TextEntry> entries;  // the form's own (its Font)
  std::vector<ControlText> controls;
};

// Largest number of controls one form may hold.
constexpr size_t kMaxControlsPerForm = 64;
// Longest form text read, in bytes (64 controls of plain settings take a few dozen KB).
constexpr size_t kMaxFormTextBytes = size_t{1} << 20;

// Checks the structure; raises 13 at the first line that does not fit it.
FormText ParseFormText(std::string_view text);
// The value of an entry read from text; raises 13 or 6 naming the entry and its line.
Variant DecodeEntry(const TextEntry& entry);

// A name that an entry can carry: a letter or "_", then letters, digits and "_"; not one
// of the block keywords (Begin, End, BeginProperty, EndProperty, in any case).
bool IsEntryName(std::string_view name);
// The line number n of a Lines block entry Key<n> or Color<n> (1 .. 32767); 0 for any
// other name.
int LineEntryNumber(std::string_view name);
// The value as an entry's right-hand side; raises 13 for a value with no text form.
std::string EncodeScalar(const Variant& v);
std::string QuoteString(std::string_view s);
// Appends one entry (a line, or a font block) at the given indent level.
void AppendEntry(std::string& out, int indent, const std::string& name, const Variant& value);

}  // namespace kavrin::host
