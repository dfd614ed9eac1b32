#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "http/cookie_text.h"
#include "http/header_text.h"
#include "http/marker_text.h"
#include "text/utf8_literal.h"

namespace {

using namespace vorel;

std::vector<Text> Members(const TextArray& array) { return {array.begin(), array.end()}; }

TextArray MakeArray(const std::vector<Text>& members) {
  TextArray array;
  for (const Text& member : members) array.Append(member);
  return array;
}

// --- Markers -------------------------------------------------------------------------

struct BetweenCase {
  Text text, left, right;
  int start;
  bool ignoreCase;
  Text expected;
};

TEST(MarkerText, TextBetween) {
  const Text quote = FromUtf8("#引号");
  const BetweenCase cases[] = {
      {"a<b>c<d>", "<", ">", 1, false, "b"},
      {"a<b>c<d>", "<", ">", 3, false, "d"},
      {"a<b>c<d>", "[", ">", 1, false, ""},
      {"a<b>c<d", "c<", ">", 1, false, ""},
      {"a<>b", "<", ">", 1, false, ""},
      {"<TD>x</td>", "<td>", "</TD>", 1, true, "x"},
      {"<TD>x</td>", "<td>", "</td>", 1, false, ""},
      // "#引号" in either marker stands for a double quote.
      {"<a href=\"/song?id=7\">", "href=" + quote, quote, 1, false, "/song?id=7"},
      {"id=" + quote + "x" + quote, "id=" + quote, quote, 1, false, ""},
      // The right marker is not found at the second byte of a two-byte character.
      {"(\xB0\x41x)A", "(", "A", 1, false, "\xB0\x41x)"},
  };
  for (const BetweenCase& c : cases) {
    SCOPED_TRACE(c.text + " | " + c.left + " | " + c.right);
    EXPECT_EQ(TextBetween(c.text, c.left, c.right, c.start, c.ignoreCase), c.expected);
  }
}

struct SideCase {
  Text text, marker;
  std::optional<int> start;
  bool ignoreCase;
  Text before, after;
};

TEST(MarkerText, TextBeforeAndAfter) {
  const SideCase cases[] = {
      // Before: first match from byte 1. After: last match followed by at least one byte.
      {"a:b:c", ":", std::nullopt, false, "a", "c"},
      {"a:b:", ":", std::nullopt, false, "a", "b:"},
      {"a:b:c", ";", std::nullopt, false, "", ""},
      {"", ":", std::nullopt, false, "", ""},
      {":x", ":", std::nullopt, false, "", "x"},
      // start 0: Before from byte 1, After from the end (as omitted).
      {"a:b:c", ":", 0, false, "a", "c"},
      // Positive start: Before searches forwards from it, After backwards from L - start.
      {"a:b:c", ":", 1, false, "a", "b:c"},
      {"a:b:c", ":", 3, false, "a:b", ""},
      {"a:b:c", ":", 5, false, "", ""},
      // Negative start: Before searches backwards (-1: the whole text, -k: before L - k),
      // After forwards from byte k.
      {"a:b:c", ":", -1, false, "a:b", "b:c"},
      {"a:b:c", ":", -2, false, "a", "b:c"},
      {"a:b:c", ":", -3, false, "", "c"},
      {"a:b:c", ":", -5, false, "", ""},
      {"Key: V; key: w", "KEY: ", std::nullopt, true, "", "w"},
      {"Key: V; key: w", "KEY: ", std::nullopt, false, "", ""},
      // 0x41 as the second byte of B0 41 is not the marker "A".
      {"\xB0\x41xAy", "A", std::nullopt, false, "\xB0\x41x", "y"},
  };
  for (const SideCase& c : cases) {
    SCOPED_TRACE(c.text + " | " + c.marker + " | " + (c.start ? std::to_string(*c.start) : "omitted"));
    EXPECT_EQ(TextBefore(c.text, c.marker, c.start, c.ignoreCase), c.before);
    EXPECT_EQ(TextAfter(c.text, c.marker, c.start, c.ignoreCase), c.after);
  }
}

// --- Headers -------------------------------------------------------------------------

TEST(HeaderText, NormalizeHeaders) {
  struct Case {
    Text headers, expected;
  };
  const Case cases[] = {
      {"content-type: text/html\r\nbadline\r\nx-requested-with:XMLHttpRequest\r\n",
       "Content-Type: text/html\r\nX-Requested-With:XMLHttpRequest"},
      {"", ""},
      {"no colon here\r\nnor here\r\n", ""},
      {"x-: v", "X-: v"},
      {"x--y:1\r\n-z: 2", "X--Y:1\r\n-Z: 2"},
      {"CONTENT-type: a", "CONTENT-Type: a"},
      {"referer:   http://a/b:c  \r\n\r\ncookie:k=v", "Referer:   http://a/b:c  \r\nCookie:k=v"},
      {"\xB0\x61-b: 1", "\xB0\x61-B: 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.headers);
    EXPECT_EQ(NormalizeHeaders(c.headers), c.expected);
  }
}

TEST(HeaderText, LineValueAndCapitalizeFirst) {
  EXPECT_EQ(HeaderLineValue("Location:   http://x/y  "), "http://x/y");
  EXPECT_EQ(HeaderLineValue("Location:http://x:81/"), "http://x:81/");
  EXPECT_EQ(HeaderLineValue("Location"), "");
  EXPECT_EQ(HeaderLineValue("A:"), "");
  EXPECT_EQ(CapitalizeFirst("abc"), "Abc");
  EXPECT_EQ(CapitalizeFirst(""), "");
  EXPECT_EQ(CapitalizeFirst("1a"), "1a");
  EXPECT_EQ(CapitalizeFirst("\xB0\x61z"), "\xB0\x61z");
}

TEST(HeaderText, HeaderValue) {
  struct Case {
    Text headers, name, expected;
  };
  const Case cases[] = {
      {"HTTP/1.1 200 OK\r\nConnection: keep-alive\r\n", "Connection", "keep-alive"},
      {"HTTP/1.1 200 OK\r\nConnection-Type: x\r\nConnection: keep-alive\r\n", "Connection", ""},
      {"HTTP/1.1 200 OK\r\nconnection: keep-alive\r\n", "Connection", ""},
      {"HTTP/1.1 200 OK\r\nConnection:keep-alive\r\n", "Connection", ""},
      {"HTTP/1.1 200 OK\r\nServer: a\r\n", "Connection", ""},
      {"Set-Cookie: a=1\r\nSet-Cookie: b=2\r\n", "Set-Cookie", "a=1"},
      {"Content-Length: 12\r\n", "Content-Length", "12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.headers);
    EXPECT_EQ(HeaderValue(c.headers, c.name), c.expected);
  }
}

// --- Cookies -------------------------------------------------------------------------

TEST(CookieText, MergeCookies) {
  struct Case {
    Text oldCookies, newCookies;
    Text merged, newAfter;  // result (also left in oldCookies) and newCookies written back
  };
  const Case cases[] = {
      {"a=1; b=2", "b=3; c=deleted", "b=3; a=1", "b=3; c=deleted"},
      {"c=5", "c=deleted", "", "c=deleted"},
      {"a=1;", "", "a=1", ""},
      {"", "", "", ""},
      {"a=1; a=1", "", "a=1", ""},
      {"  a=1; b=2  ", " x=9;", "x=9; a=1; b=2", "x=9; "},
      {"sid=1", " sid = 2", "sid = 2", "sid = 2"},
      {"A=1", "a=2", "a=2; A=1", "a=2"},
      {"flag; b=2", "flag", "flag; b=2", "flag"},
      {"a=1; b=2", "a=1; a=1", "a=1; b=2", "a=1; a=1"},
      {"", "k=v", "k=v", "k=v"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.oldCookies + " + " + c.newCookies);
    Text oldCookies = c.oldCookies;
    Text newCookies = c.newCookies;
    EXPECT_EQ(MergeCookies(oldCookies, newCookies), c.merged);
    EXPECT_EQ(oldCookies, c.merged);
    EXPECT_EQ(newCookies, c.newAfter);
  }
}

TEST(CookieText, NamesAndLookup) {
  EXPECT_EQ(CookieName(" sid =abc=def"), "sid");
  EXPECT_EQ(CookieName("flag"), "flag");
  EXPECT_EQ(CookieName("=v"), "");
  const TextArray entries = MakeArray({"a=1", " b =2", "c"});
  EXPECT_TRUE(HasCookieName(entries, "b"));
  EXPECT_TRUE(HasCookieName(entries, "c"));
  EXPECT_FALSE(HasCookieName(entries, "B"));
  EXPECT_FALSE(HasCookieName(TextArray(), ""));
  EXPECT_EQ(IndexOfText(MakeArray({"a", "", "b", ""}), ""), 2);
  EXPECT_EQ(IndexOfText(MakeArray({"a", "b"}), "b"), 2);
  EXPECT_EQ(IndexOfText(MakeArray({"a", "b"}), "A"), -1);
  EXPECT_EQ(IndexOfText(TextArray(), "a"), -1);
}

TEST(CookieText, JoinUniqueAndSplitChars) {
  struct Case {
    Text text, separator;
    bool splitBySeparator;
    Text expected;
  };
  const Case cases[] = {
      {"x; y; x", "; ", true, "x; y"},
      {"x; y; x; ", "; ", true, "x; y"},
      {"", "; ", true, ""},
      {"abca", ",", false, "a,b,c"},
      {"\xB0\xA1"
       "a\xB0\xA1\xB0\xA2",
       "", false,
       "\xB0\xA1"
       "a\xB0\xA2"},
      {"a\r\nb\r\n", "|", false, "a|\r\n|b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(JoinUnique(c.text, c.separator, c.splitBySeparator), c.expected);
  }

  EXPECT_EQ(Members(SplitChars("a\xB0\xA1\r\nb\r")), (std::vector<Text>{"a", "\xB0\xA1", "\r\n", "b", "\r"}));
  EXPECT_EQ(Members(SplitChars("a\xB0")), (std::vector<Text>{"a", "\xB0"}));
  EXPECT_EQ(Members(SplitChars("\x80"
                               "a\x81"
                               "b")),
            (std::vector<Text>{"\x80", "a",
                               "\x81"
                               "b"}));
  EXPECT_EQ(SplitChars("").Count(), 0);
}

}  // namespace
