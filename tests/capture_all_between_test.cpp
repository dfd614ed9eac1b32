#include "text/capture_all_between.h"

#include <gtest/gtest.h>

#include <boost/regex.hpp>
#include <random>

#include "text/utf8_literal.h"

namespace vorel {
namespace {

TEST(CaptureAllBetween, Cases) {
  const Text name = FromUtf8("百花香");
  struct Case {
    Text text, left, right, expected;
  };
  const Case cases[] = {
      {"x<b>1</b>y<b>2</b>z", "<b>", "</b>", "1\r\n2\r\n"},
      {"x<b>1</b>", "<b>", "</i>", ""},
      {"<b></b>", "<b>", "</b>", "\r\n"},
      {"<b>1<b>2</b>", "<b>", "</b>", "1<b>2\r\n"},
      {"</b><b>1</b>", "<b>", "</b>", "1\r\n"},
      {"<b>1\r\n2</b>", "<b>", "</b>", "1\r\n2\r\n"},
      {"<B>1</B>", "<b>", "</b>", ""},
      {"", "<b>", "</b>", ""},
      {"<b>" + name + "</b>", "<b>", "</b>", name + "\r\n"},
      {"<b>1</b><b>2", "<b>", "</b>", "1\r\n"},  // an unclosed piece at the end is not a piece
      {"<b>1</b>", "<b>", "<b>", ""},
      {"<b>1<b>2<b>", "<b>", "<b>", "1\r\n"},  // a right marker is not reused as a left one
      {"aXa", "a", "a", "X\r\n"},
      {"aaa", "a", "a", "\r\n"},  // the left marker ends where the right one may begin
      {"ab", "ab", "b", ""},      // ...but never before
      // Markers are literal bytes: characters with a meaning in patterns stand for themselves.
      {"x.*y1z.*", ".*", "z", "y1\r\n"},
      {"(a)[b]", "(", ")", "a\r\n"},
      // Empty markers: an empty left marker is found where the search stands, an empty
      // right marker right after the left one; both empty give nothing.
      {"1</b>2</b>", "", "</b>", "1\r\n2\r\n"},
      {"<b>1<b>2", "<b>", "", "\r\n\r\n"},
      {"abc", "", "", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CaptureAllBetween(c.text, c.left, c.right), c.expected)
        << "'" << c.text << "' '" << c.left << "' '" << c.right << "'";
}

TEST(CaptureAllBetween, ResultPageCells) {
  const Text page = FromUtf8(
      "<table><tr><td width=70% class=\"song-name\">周杰伦 - 晴天</td><td class=\"song-bitrate\">"
      "<a href=\"https://x/1\" class=\"q\">标准</a><a href=\"https://x/2\" class=\"q\">高品</a>"
      "</td></tr><tr><td width=70% class=\"song-name\">A - B </td><td class=\"song-bitrate\">"
      "<a>none</a></td></tr><tr></table>");
  EXPECT_EQ(CaptureAllBetween(page, "<td width=70% class=\"song-name\">", "</td><td class=\"song-bitrate\">"),
            FromUtf8("周杰伦 - 晴天\r\nA - B \r\n"));
  const Text cells = CaptureAllBetween(page, "<td class=\"song-bitrate\">", "</a></td></tr><tr>");
  EXPECT_EQ(cells, FromUtf8("<a href=\"https://x/1\" class=\"q\">标准</a><a href=\"https://x/2\" "
                            "class=\"q\">高品\r\n<a>none\r\n"));
  EXPECT_EQ(CaptureAllBetween(cells, "<a href=\"", "\" class=\""), "https://x/1\r\nhttps://x/2\r\n");
}

// The pattern left + "(.*?)" + right, with the markers quoted, run over random texts by
// Boost.Regex: every piece must be the same.
Text CaptureWithRegex(const Text& text, const Text& left, const Text& right) {
  const boost::regex pattern("\\Q" + left + "\\E(.*?)\\Q" + right + "\\E");
  Text result;
  for (boost::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
    result += (*it)[1].str() + "\r\n";
  return result;
}

TEST(CaptureAllBetween, SameAsTheLazyPattern) {
  std::mt19937 random(12345);
  const char alphabet[] = {'<', 'b', '>', '/', '1', '\r', '\n', '\xB0'};
  auto randomText = [&](int maxLength) {
    Text text;
    const int length = std::uniform_int_distribution<int>(0, maxLength)(random);
    for (int i = 0; i < length; ++i)
      text.push_back(alphabet[std::uniform_int_distribution<int>(0, sizeof alphabet - 1)(random)]);
    return text;
  };
  for (int i = 0; i < 3000; ++i) {
    const Text text = randomText(40);
    Text left = randomText(3);
    Text right = randomText(3);
    if (left.empty()) left = "<";  // both engines agree on empty markers only when one is not empty
    ASSERT_EQ(CaptureAllBetween(text, left, right), CaptureWithRegex(text, left, right))
        << "'" << text << "' '" << left << "' '" << right << "'";
  }
}

}  // namespace
}  // namespace vorel
