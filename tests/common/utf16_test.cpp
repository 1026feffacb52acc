// Automation strings (UTF-16) and the system's UTF-8 strings.
#include "common/utf16.h"

#include <gtest/gtest.h>

namespace kavrin {
namespace {

struct Pair {
  std::u16string units;
  std::string bytes;
};

// Every automation string comes back unit for unit, lone surrogates included.
TEST(Utf16, ConvertsBothWaysUnitForUnit) {
  const Pair cases[] = {
      {u"温度 Δp", "\xE6\xB8\xA9\xE5\xBA\xA6 \xCE\x94p"},
      {u"\u0080\u07FF\u0800\uFFFF", "\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
      {u"\U0001F600", "\xF0\x9F\x98\x80"},                          // a pair: one 4-byte character
      {u"\xD800\xDC00\xD8BF\xDFFF", "\xF0\x90\x80\x80\xF0\xBF\xBF\xBF"},  // U+10000 and U+3FFFF
      {u"\xD800", "\xED\xA0\x80"},                                   // a lone high surrogate
      {u"a\xDFFF", "a\xED\xBF\xBF"},                                 // a lone low one
      {u"\xDE00\xD83D", "\xED\xB8\x80\xED\xA0\xBD"},                 // a pair in the wrong order
      {std::u16string(u"x\0y", 3), std::string("x\0y", 3)},
  };
  for (const Pair& c : cases) {
    EXPECT_EQ(Utf8FromUtf16(c.units), c.bytes);
    EXPECT_EQ(Utf16FromUtf8(c.bytes), c.units) << c.bytes;
  }
}

TEST(Utf16, BytesThatBeginNoCharacterBecomeReplacementCharacters) {
  const Pair cases[] = {
      {u"\uFFFD\uFFFD", "\xC0\xAF"},                      // an overlong "/"
      {u"\uFFFD\uFFFD\uFFFD", "\xE0\x80\x80"},            // an overlong NUL
      {u"\uFFFD\uFFFD\uFFFD\uFFFD", "\xF4\x90\x80\x80"},  // above U+10FFFF
      {u"a\uFFFDb", "a\x80" "b"},
      {u"\uFFFD\uFFFD", "\xE6\xB8"},                      // cut short
      {u"\uFFFD", "\xFF"},
  };
  for (const Pair& c : cases) EXPECT_EQ(Utf16FromUtf8(c.bytes), c.units) << c.bytes;
}

}  // namespace
}  // namespace kavrin
