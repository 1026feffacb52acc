// The form text: values keep their types and exact values through saving and loading,
// fonts keep all eight attributes, defaults are left out, and bad text raises a run-time
// error at the entry it reaches.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/vb_error.h"
#include "host/form_bag.h"
#include "host/form_text.h"

namespace kavrin::host {
namespace {

std::string Wrap(const std::string& body) { return "Begin Form F\n" + body + "End\n"; }

// Writes one value into a bag, saves the bag as text, reads the text back.
Variant RoundTrip(const Variant& v) {
  FormBag bag;
  bag.WriteProperty("Value", v, Variant::Missing());
  std::string body;
  bag.AppendText(body, 1);
  FormBag back(ParseFormText(Wrap(body)).entries);
  return back.ReadProperty("Value", Variant::Missing());
}

int ErrorOf(const std::function<void()>& f, std::string* message = nullptr) {
  try {
    f();
  } catch (const RuntimeError& e) {
    if (message != nullptr) *message = e.what();
    return e.Number();
  }
  return 0;
}

TEST(FormTextValues, KeepTheirTypeAndValue) {
  const Variant values[] = {Variant::FromInteger(-32768), Variant::FromInteger(2),    Variant(Long{-2147483647 - 1}),
                            Variant(Long{32768}),         Variant(1.5),               Variant(0.1),
                            Variant(-50.0),               Variant(1e300),             Variant(5e-324),
                            Variant::FromBool(true),      Variant::FromBool(false),   Variant(),
                            Variant::Nothing(),           Variant(std::string("mV"))};
  for (const Variant& v : values) {
    const Variant back = RoundTrip(v);
    EXPECT_EQ(back.Type(), v.Type()) << EncodeScalar(v);
    EXPECT_TRUE(back.Equals(v)) << EncodeScalar(v);
  }
  // A Double that happens to be whole stays a Double, and an Integer stays an Integer.
  EXPECT_EQ(RoundTrip(Variant(3.0)).Type(), VarType::kDouble);
  EXPECT_EQ(RoundTrip(Variant(0.1)).ToDouble(), 0.1);
  EXPECT_TRUE(std::isnan(RoundTrip(Variant(std::nan(""))).ToDouble()));
  EXPECT_EQ(RoundTrip(Variant(-std::numeric_limits<double>::infinity())).ToDouble(),
            -std::numeric_limits<double>::infinity());
}

TEST(FormTextValues, StringsWithEveryEscapeComeBackExactly) {
  std::string all;
  for (int c = 1; c < 128; ++c) all += static_cast<char>(c);
  all += std::string("\0mid", 4);
  all += "Grüße \xE2\x82\xAC";  // UTF-8 goes through unchanged
  const std::string cases[] = {"", "say \"hi\"", "C:\\charts\\", "two\nlines", "cr\rlf\r\n", "tab\there", all};
  for (const std::string& s : cases) {
    const Variant back = RoundTrip(Variant(s));
    EXPECT_EQ(back.Type(), VarType::kString);
    EXPECT_EQ(back.ToString(), s);
  }
  // One line per entry: nothing in the saved text breaks the line.
  EXPECT_EQ(QuoteString("a\"b\\c\nd\x01\x7F"), "\"a\\\"b\\\\c\\nd\\x01\\x7F\"");
}

TEST(FormTextValues, UnsuffixedNumbersTakeTheSmallestTypeThatFits) {
  FormBag bag(ParseFormText(Wrap("A = 12\nB = 40000\nC = 3000000000\nD = 1.5\nE = -7\nF = true\n")).entries);
  EXPECT_EQ(bag.ReadProperty("A", {}).Type(), VarType::kInteger);
  EXPECT_EQ(bag.ReadProperty("B", {}).Type(), VarType::kLong);
  EXPECT_EQ(bag.ReadProperty("C", {}).Type(), VarType::kDouble);
  EXPECT_EQ(bag.ReadProperty("D", {}).ToDouble(), 1.5);
  EXPECT_EQ(bag.ReadProperty("E", {}).ToInteger(), -7);
  EXPECT_EQ(bag.ReadProperty("F", {}).Type(), VarType::kBoolean);
}

TEST(FormTextFonts, AllEightAttributesComeBack) {
  auto f = std::make_shared<StdFont>("Times New Roman", 12.75);
  f->Italic(true);
  f->Underline(true);
  f->Strikethrough(true);
  f->Weight(600);  // bold by weight, not 700
  f->Charset(204);
  const Variant back = RoundTrip(Variant(f));
  ASSERT_EQ(back.Type(), VarType::kFont);
  const FontRef g = back.ToFont();
  EXPECT_NE(g, f);  // a separate object
  EXPECT_EQ(g->Name(), "Times New Roman");
  EXPECT_EQ(g->SizeCy(), 127500);
  EXPECT_TRUE(g->Bold());
  EXPECT_TRUE(g->Italic());
  EXPECT_TRUE(g->Underline());
  EXPECT_TRUE(g->Strikethrough());
  EXPECT_EQ(g->Weight(), 600);
  EXPECT_EQ(g->Charset(), 204);

  auto plain = std::make_shared<StdFont>("Arial", 8.25);
  plain->Bold(true);
  plain->Bold(false);
  const FontRef p = RoundTrip(Variant(plain)).ToFont();
  EXPECT_FALSE(p->Bold());
  EXPECT_EQ(p->Weight(), 400);
}

TEST(FormTextFonts, AttributeOrderInTheTextDoesNotMatter) {
  // Weight decides boldness whichever line comes first.
  FormBag bag(ParseFormText(Wrap("BeginProperty Font F\nWeight = 300%\nBold = True\nName = \"Courier New\"\n"
                                 "EndProperty\n"))
                  .entries);
  const FontRef f = bag.ReadProperty("F", {}).ToFont();
  EXPECT_EQ(f->Weight(), 300);
  EXPECT_FALSE(f->Bold());
  EXPECT_EQ(f->Name(), "Courier New");
  EXPECT_EQ(f->SizeCy(), 82500);  // missing attributes keep the default description
}

TEST(FormBagDefaults, EqualValuesAreLeftOutByValueNotType) {
  FormBag bag;
  bag.WriteProperty("Zoom", Variant(1.0), Variant::FromInteger(1));           // Double 1 = Integer 1
  bag.WriteProperty("Color", Variant(Long{0}), Variant::FromInteger(0));       // Long 0 = Integer 0
  bag.WriteProperty("Title", Variant("Kavrin"), Variant("Kavrin"));
  bag.WriteProperty("Shown", Variant::FromBool(true), Variant::FromInteger(1));  // True is -1, not 1
  bag.WriteProperty("Hidden", Variant::FromBool(false), Variant::FromInteger(1));
  bag.WriteProperty("Unit", Variant(""), Variant());
  EXPECT_EQ(bag.Count(), 2u);
  EXPECT_TRUE(bag.Contains("Shown"));
  EXPECT_TRUE(bag.Contains("Hidden"));
  // Writing the default again removes an entry written before.
  bag.WriteProperty("Shown", Variant::FromInteger(1), Variant::FromInteger(1));
  EXPECT_FALSE(bag.Contains("Shown"));
}

TEST(FormBagDefaults, FontsAreComparedByDescription) {
  auto ambient = std::make_shared<StdFont>();
  FormBag bag;
  bag.WriteProperty("Same", Variant(std::make_shared<StdFont>()), Variant(ambient));
  auto bold = std::make_shared<StdFont>();
  bold->Bold(true);
  bag.WriteProperty("Bold", Variant(bold), Variant(ambient));
  EXPECT_FALSE(bag.Contains("Same"));
  ASSERT_TRUE(bag.Contains("Bold"));
  // The bag keeps the font as it was when saved.
  bold->Italic(true);
  EXPECT_FALSE(bag.ReadProperty("Bold", {}).ToFont()->Italic());
}

TEST(FormBagDefaults, MissingEntriesGiveTheDefaultObjectItself) {
  FormBag bag;
  auto ambient = std::make_shared<StdFont>();
  EXPECT_EQ(bag.ReadProperty("TitleFont", Variant(ambient)).ToFont(), ambient);
  EXPECT_EQ(bag.ReadProperty("Zoom", Variant::FromInteger(1)).Type(), VarType::kInteger);
}

TEST(FormBagWrite, RejectsWhatTheTextCannotCarry) {
  FormBag bag;
  EXPECT_EQ(ErrorOf([&] { bag.WriteProperty("has space", Variant(1.0), {}); }), err::kInvalidCall);
  EXPECT_EQ(ErrorOf([&] { bag.WriteProperty("A=B", Variant(1.0), {}); }), err::kInvalidCall);
  EXPECT_EQ(ErrorOf([&] { bag.WriteProperty("", Variant(1.0), {}); }), err::kInvalidCall);
  EXPECT_EQ(ErrorOf([&] { bag.WriteProperty("begin", Variant(1.0), {}); }), err::kInvalidCall);  // a keyword
  EXPECT_EQ(ErrorOf([&] { bag.WriteProperty("EndProperty", Variant(1.0), {}); }), err::kInvalidCall);
  EXPECT_EQ(ErrorOf([&] { bag.WriteProperty("Missing", Variant::Missing(), {}); }), err::kTypeMismatch);
  EXPECT_EQ(bag.Count(), 0u);
}

TEST(FormTextMalformed, StructureErrorsNameTheirLine) {
  struct Case {
    const char* text;
    int line;
  } cases[] = {
      {"", 1},
      {"Hello\n", 1},
      {"Begin Form F\nZoom 1.5\nEnd\n", 2},                        // no "="
      {"Begin Form F\n  = 1\nEnd\n", 2},                           // no name
      {"Begin Form F\nbad name = 1\nEnd\n", 2},
      {"Begin Form F\nBegin= Nothing\nEnd\n", 2},                 // a keyword as a name
      {"Begin Form F\nA = 1\nA = 2\nEnd\n", 3},                    // duplicate
      {"Begin Form F\nBeginProperty Font T\nName = \"A\"\nEnd\n", 4},  // End inside a font
      {"Begin Form F\nBeginProperty Font T\nColour = 1\nEndProperty\nEnd\n", 3},
      {"Begin Form F\nBeginProperty Picture P\nEndProperty\nEnd\n", 2},
      {"Begin Form F\nBegin C X\nBegin C Y\nEnd\nEnd\nEnd\n", 3},  // nested control
      {"Begin Form F\nBegin C X\nEnd\nBegin C X\nEnd\nEnd\n", 4},  // same control name
      {"Begin Form F\nBegin C X\nA = 1\n", 3},                     // missing End
      {"Begin Form F\nEnd\nA = 1\n", 3},                           // text after the form
  };
  for (const auto& c : cases) {
    std::string message;
    EXPECT_EQ(ErrorOf([&] { ParseFormText(c.text); }, &message), err::kTypeMismatch) << c.text;
    EXPECT_THAT(message, testing::HasSubstr("line " + std::to_string(c.line) + ":")) << c.text;
  }
  // Longer than any form: refused before it is read, though the rest is only a comment.
  const std::string huge = "Begin Form F\nEnd\n'" + std::string(kMaxFormTextBytes, 'x') + "\n";
  EXPECT_EQ(ErrorOf([&] { ParseFormText(huge); }), err::kTypeMismatch);
}

TEST(FormTextMalformed, BadValuesStopLoadingAtTheirOwnEntry) {
  struct Case {
    const char* value;
    int error;
  } cases[] = {
      {"\"unterminated", err::kTypeMismatch}, {"\"bad \\q escape\"", err::kTypeMismatch},
      {"\"\\x4\"", err::kTypeMismatch},        {"\"a\" tail", err::kTypeMismatch},
      {"1.5x", err::kTypeMismatch},            {"1.5.5#", err::kTypeMismatch},
      {"12%%", err::kTypeMismatch},            {"1.5%", err::kTypeMismatch},
      {"", err::kTypeMismatch},                {"Truth", err::kTypeMismatch},
      {"0x10", err::kTypeMismatch},            {"1e#", err::kTypeMismatch},
      {"40000%", err::kOverflow},              {"3000000000&", err::kOverflow},
      {"1e999#", err::kOverflow},              {"99999999999999999999999%", err::kOverflow},
  };
  for (const auto& c : cases) {
    FormBag bag(ParseFormText(Wrap(std::string("First = 1\nSecond = ") + c.value + "\nThird = 3\n")).entries);
    EXPECT_EQ(bag.ReadProperty("First", {}).ToInteger(), 1);
    std::string message;
    EXPECT_EQ(ErrorOf([&] { bag.ReadProperty("Second", {}); }, &message), c.error) << c.value;
    EXPECT_THAT(message, testing::HasSubstr("line 3")) << c.value;
    EXPECT_EQ(bag.ReadProperty("Third", {}).ToInteger(), 3);
  }
  // A font attribute of the wrong kind fails at its own line.
  FormBag bag(ParseFormText(Wrap("BeginProperty Font T\nName = \"Arial\"\nWeight = \"heavy\"\nEndProperty\n")).entries);
  std::string message;
  EXPECT_EQ(ErrorOf([&] { bag.ReadProperty("T", {}); }, &message), err::kTypeMismatch);
  EXPECT_THAT(message, testing::HasSubstr("line 4"));
}

TEST(FormTextMalformed, ControlCharactersAndLineEndingsAreHandled) {
  // CRLF line ends, blank lines and comments are fine.
  EXPECT_NO_THROW(ParseFormText("' saved form\r\nBegin Form F\r\n\r\n   A = 1%\r\nEnd\r\n"));
  // A raw control character inside a string is not (the writer always escapes it).
  FormBag bag(ParseFormText(Wrap(std::string("A = \"x\x01y\"\n"))).entries);
  EXPECT_EQ(ErrorOf([&] { bag.ReadProperty("A", {}); }), err::kTypeMismatch);
  // A NUL byte in the text is just a bad character.
  static const char kNul[] = "Begin Form F\nA\0 = 1\nEnd\n";
  EXPECT_EQ(ErrorOf([&] { ParseFormText(std::string(kNul, sizeof kNul - 1)); }), err::kTypeMismatch);
}

TEST(FormTextFormat, EntriesAreOneLineEachInWriteOrder) {
  FormBag bag;
  bag.WriteProperty("Title", Variant("A \"B\"\nC"), Variant(""));
  bag.WriteProperty("Zoom", Variant(1.5), Variant::FromInteger(1));
  bag.WriteProperty("Pos", Variant::FromInteger(2), Variant::FromInteger(3));
  bag.WriteProperty("Color", Variant(Long{255}), Variant(Long{0}));
  bag.WriteProperty("Shown", Variant::FromBool(true), Variant::FromInteger(1));
  bag.WriteProperty("Font", Variant(std::make_shared<StdFont>("Arial", 10, true)), Variant(std::make_shared<StdFont>()));
  std::string out;
  bag.AppendText(out, 0);
  EXPECT_EQ(out,
            "Title = \"A \\\"B\\\"\\nC\"\n"
            "Zoom = 1.5#\n"
            "Pos = 2%\n"
            "Color = 255&\n"
            "Shown = True\n"
            "BeginProperty Font Font\n"
            "   Name = \"Arial\"\n"
            "   Size = 10#\n"
            "   Bold = True\n"
            "   Italic = False\n"
            "   Underline = False\n"
            "   Strikethrough = False\n"
            "   Weight = 700%\n"
            "   Charset = 1%\n"
            "EndProperty\n");
}

}  // namespace
}  // namespace kavrin::host
