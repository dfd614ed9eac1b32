#include "platform/codepage/code_page_936.h"

#include <gtest/gtest.h>

namespace {

using vorel::platform::Cp936ToUtf16;
using vorel::platform::Utf16ToCp936;

struct Case {
  std::string bytes;
  std::u16string units;
};

// Characters whose code page 936 bytes are fixed by the Windows table.
const Case kRoundTrips[] = {
    {"A", u"A"},
    {"\x80", u"\u20AC"},                      // euro sign, single byte
    {"\xB0\xD9\xBB\xA8\xCF\xE3", u"百花香"},  // the default keyword
    {"\xA1\xA1", u"\u3000"},                  // ideographic blank
    {"\xA1\xA4", u"\u00B7"},                  // middle dot
    {"\xA1\xAA", u"\u2014"},                  // em dash
    {"\xA8\x44", u"\u2015"},                  // horizontal bar
    {"\xA3\xA1", u"\uFF01"},                  // full-width exclamation mark
    {"\xA8\xA6", u"\u00E9"},                  // pinyin e with acute
    {"\xAA\xA1", u"\uE000"},                  // first user-defined character
    {"\xFE\xFE", u"\uE4C5"},                  // last of the second user-defined area
    {"\xA1\x40", u"\uE4C6"},                  // first of the third user-defined area
    {"\xA7\xA0", u"\uE765"},                  // last of the third user-defined area
    {"\xFF", u"\uF8F5"},
};

TEST(CodePage936, MatchesTheWindowsTableBothWays) {
  for (const auto& c : kRoundTrips) {
    EXPECT_EQ(Cp936ToUtf16(c.bytes), c.units) << c.bytes;
    EXPECT_EQ(Utf16ToCp936(c.units), c.bytes) << c.bytes;
  }
}

TEST(CodePage936, MissingCharactersBecomeQuestionMarks) {
  EXPECT_EQ(Utf16ToCp936(u"a\u0E01b"), "a?b");      // Thai letter
  EXPECT_EQ(Utf16ToCp936(u"\U0001F600"), "?");      // outside the BMP: one mark
  EXPECT_EQ(Utf16ToCp936(u"e\u0301"), "\xA8\xA6");  // composed before mapping
  EXPECT_EQ(Cp936ToUtf16("a\x81"), u"a?");          // lead byte at the end
  EXPECT_EQ(Cp936ToUtf16("\x81\x20x"), u"? x");     // lead byte without trail
}

TEST(CodePage936, Utf8RoundTrip) {
  const std::string utf8 = "\xE7\x99\xBE\xE8\x8A\xB1\xE9\xA6\x99 \xF0\x9F\x98\x80";
  EXPECT_EQ(vorel::platform::Utf16ToUtf8(vorel::platform::Utf8ToUtf16(utf8)), utf8);
  EXPECT_EQ(vorel::platform::Cp936ToUtf8("\xB0\xD9\xBB\xA8\xCF\xE3"), "\xE7\x99\xBE\xE8\x8A\xB1\xE9\xA6\x99");
  EXPECT_EQ(vorel::platform::Utf8ToUtf16("a\xFF"
                                         "b"),
            u"a\uFFFDb");
}

}  // namespace
