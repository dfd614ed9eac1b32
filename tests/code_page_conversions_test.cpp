#include "text/code_page_conversions.h"

#include <gtest/gtest.h>

#include "text/utf8_literal.h"

namespace vorel {
namespace {

TEST(UrlEncodeUtf8, Cases) {
  struct Case {
    Text text, expected;
  };
  const Case cases[] = {
      {FromUtf8("百花香"), "%E7%99%BE%E8%8A%B1%E9%A6%99"},
      {"\xB0\xD9\xBB\xA8\xCF\xE3", "%E7%99%BE%E8%8A%B1%E9%A6%99"},
      {"ab 12", "ab%2012"},
      {"a-b_c.d~e", "a%2Db%5Fc%2Ed%7Ee"},
      {"\t", "%09"},
      {"a\nb", "a%0Ab"},
      {"", ""},
      {"AZaz09+&=/?#%", "AZaz09%2B%26%3D%2F%3F%23%25"},
      {"\x80", "%E2%82%AC"},      // the euro sign
      {"\xAA\xA1", "%EE%80%80"},  // a user-defined character: U+E000
      {"\x81", "%3F"},            // a lead byte without its second byte
  };
  for (const auto& c : cases) EXPECT_EQ(UrlEncodeUtf8(c.text), c.expected) << "'" << c.text << "'";
}

TEST(WideBuffers, FromAnsi) {
  struct Case {
    Text text;
    ByteBuffer wide, wideArg, utf8;
  };
  const Case cases[] = {
      {"A", {0x41, 0, 0, 0}, {0x41, 0, 0, 0}, {0x41, 0}},
      {"", {0, 0}, {}, {0}},
      {"\xB0\xD9", {0x7E, 0x76, 0, 0}, {0x7E, 0x76, 0, 0}, {0xE7, 0x99, 0xBE, 0}},
      {"\x80", {0xAC, 0x20, 0, 0}, {0xAC, 0x20, 0, 0}, {0xE2, 0x82, 0xAC, 0}},
      {Text("a\0b", 3), {0x61, 0, 0, 0}, {0x61, 0, 0, 0}, {0x61, 0}},  // up to the first zero
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AnsiToWide(c.text), c.wide) << "'" << c.text << "'";
    EXPECT_EQ(AnsiToWideArg(c.text), c.wideArg) << "'" << c.text << "'";
    EXPECT_EQ(AnsiToUtf8(c.text), c.utf8) << "'" << c.text << "'";
  }
}

TEST(WideBuffers, ToUtf8) {
  struct Case {
    ByteBuffer wide, utf8;
  };
  const Case cases[] = {
      {{0x41, 0, 0, 0}, {0x41, 0}},
      {{0, 0}, {0}},
      {{}, {}},
      {{0xAC, 0x20, 0, 0}, {0xE2, 0x82, 0xAC, 0}},
      {{0x3D, 0xD8, 0x00, 0xDE, 0, 0}, {0xF0, 0x9F, 0x98, 0x80, 0}},  // a surrogate pair
      {{0x00, 0xD8, 0, 0}, {0xEF, 0xBF, 0xBD, 0}},                    // a lone surrogate
      // Sized for every unit, filled up to the first zero unit.
      {{0x41, 0, 0, 0, 0x42, 0}, {0x41, 0, 0}},
      {{0x41, 0, 0x42, 0}, {0x41, 0x42}},  // no terminator: converted to the end
      {{0x41, 0, 0, 0, 0x7F}, {0x41, 0}},  // an odd last byte is no unit
  };
  for (const auto& c : cases) EXPECT_EQ(WideToUtf8(c.wide), c.utf8) << c.wide.size();
}

TEST(WideBuffers, ToAnsi) {
  struct Case {
    ByteBuffer wide;
    Text expected;
  };
  const Case cases[] = {
      {{0x41, 0, 0x42, 0, 0, 0}, "AB"},
      {{0x41, 0, 0, 0, 0x42, 0}, "A"},  // the text ends at the first zero unit
      {{0x7E, 0x76, 0, 0}, FromUtf8("百")},
      {{0x7E, 0x76, 0, 0}, "\xB0\xD9"},
      {{0xAC, 0x20, 0, 0}, "\x80"},                     // the euro sign
      {{0x65, 0, 0x01, 0x03, 0, 0}, "\xA8\xA6"},        // e + combining acute: precomposed
      {{0x01, 0x0E, 0, 0}, "?"},                        // a Thai letter: not in the code page
      {{0x3D, 0xD8, 0x00, 0xDE, 0x41, 0, 0, 0}, "?A"},  // one mark for a surrogate pair
      {{0x41, 0, 0x42, 0}, "AB"},                       // no terminator: up to the end
      {{}, ""},
      {{0, 0}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(WideToAnsi(c.wide), c.expected) << c.wide.size();
}

TEST(WideBuffers, RoundTrip) {
  const Text texts[] = {FromUtf8("百花香 - 周杰伦"), FromUtf8("酷我 QQ 网易 酷狗 咪咕"), "plain ASCII \r\n",
                        FromUtf8("€ ：（）"), "\xA1\xA1\xA3\xB1"};
  for (const auto& text : texts) {
    EXPECT_EQ(WideToAnsi(AnsiToWide(text)), text);
    EXPECT_EQ(WideToAnsi(AnsiToWideArg(text)), text);
  }
}

}  // namespace
}  // namespace vorel
