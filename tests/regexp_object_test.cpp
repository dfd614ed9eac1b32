#include "text/regexp_object.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/regexp/com_apartment.h"
#include "platform/regexp/vb_regexp.h"
#include "text/utf8_literal.h"

namespace {

using vorel::FromUtf8;
using vorel::RegExpObject;
using vorel::Text;
using vorel::platform::ComInitCount;
using vorel::platform::VbRegExp;

const Text kLocationPattern = "Location:\\s*(.+)";
const Text kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

// --- The component -------------------------------------------------------------------

TEST(VbRegExp, CountsPositionsInUtf16Units) {
  VbRegExp regExp;
  regExp.Global = true;
  regExp.Pattern = u"x(.)";
  // U+1F600 takes two UTF-16 units but is one character for ".".
  const auto matches = regExp.Execute(u"\U0001F600xy \u4E2Dx\U0001F600");
  ASSERT_NE(matches, nullptr);
  ASSERT_EQ(matches->Count(), 2);
  EXPECT_EQ(matches->Item(0)->firstIndex, 2);
  EXPECT_EQ(matches->Item(0)->value, u"xy");
  EXPECT_EQ(matches->Item(1)->firstIndex, 6);
  EXPECT_EQ(matches->Item(1)->length, 3);
  EXPECT_EQ(matches->Item(1)->subMatches.at(0).value, u"\U0001F600");
  EXPECT_EQ(matches->Item(1)->subMatches.at(0).firstIndex, 7);
  EXPECT_EQ(matches->Item(2), nullptr);
  EXPECT_EQ(matches->Item(-1), nullptr);
}

TEST(VbRegExp, OptionsAndLineBreaks) {
  struct Case {
    std::u16string pattern, subject;
    bool ignoreCase, multiline, global;
    int count;
  };
  const Case cases[] = {
      {u"a.b", u"a\rb a\nb a\tb", false, true, true, 1},  // "." matches neither CR nor LF
      {u"^b$", u"a\r\nb\r\nc", false, true, true, 1},
      {u"^b$", u"a\r\nb\r\nc", false, false, true, 0},
      {u"a$", u"a\n", false, false, true, 0},  // without Multiline "$" is the very end only
      {u"a", u"aAa", false, true, true, 2},
      {u"a", u"aAa", true, true, true, 3},
      {u"a", u"aAa", true, true, false, 1},
      {u"\u0436", u"\u0416", true, true, true, 1},       // case folds beyond ASCII
      {u"\\w+", u"\u4E2D\u6587", false, true, true, 0},  // \w is [A-Za-z0-9_]
      {u"x*", u"axx", false, true, true, 3},             // empty matches advance
  };
  for (const Case& c : cases) {
    VbRegExp regExp;
    regExp.IgnoreCase = c.ignoreCase;
    regExp.Multiline = c.multiline;
    regExp.Global = c.global;
    regExp.Pattern = c.pattern;
    const auto matches = regExp.Execute(c.subject);
    ASSERT_NE(matches, nullptr);
    EXPECT_EQ(matches->Count(), c.count) << vorel::platform::Utf16ToCp936(c.pattern);
  }
}

TEST(VbRegExp, PropertiesByName) {
  VbRegExp regExp;
  EXPECT_TRUE(regExp.SetProperty("ignorecase", true));
  EXPECT_TRUE(regExp.SetProperty("Multiline", true));
  EXPECT_TRUE(regExp.SetProperty("Global", true));
  EXPECT_FALSE(regExp.SetProperty("Singleline", false));
  EXPECT_TRUE(regExp.IgnoreCase && regExp.Multiline && regExp.Global);
}

TEST(VbRegExp, ReplaceSyntax) {
  struct Case {
    std::u16string pattern, subject, replacement, expected;
    bool global;
  };
  const Case cases[] = {
      {u"(\\w+)@(\\w+)", u"a@b c@d", u"$2-$1 [$&] $$", u"b-a [a@b] $ d-c [c@d] $", true},
      {u"(\\w+)@(\\w+)", u"a@b c@d", u"$2-$1", u"b-a c@d", false},
      {u"b", u"abc", u"<$`|$'>", u"a<a|c>c", true},
      // Groups that do not exist stay literal; $10 falls back to $1 followed by "0".
      {u"(a)", u"a", u"$3 $0 $10 $ \\1", u"$3 $0 a0 $ \\1", true},
      {u"(a)|(b)", u"b", u"[$1][$2]", u"[][b]", true},
      {u"\u4E2D", u"\u4E2D\u6587\u4E2D", u"\u82F1", u"\u82F1\u6587\u82F1", true},
      {u"z", u"abc", u"$&$&", u"abc", true},
  };
  for (const Case& c : cases) {
    VbRegExp regExp;
    regExp.Global = c.global;
    regExp.Pattern = c.pattern;
    EXPECT_EQ(regExp.Replace(c.subject, c.replacement), c.expected)
        << vorel::platform::Utf16ToCp936(c.subject);
  }
}

TEST(VbRegExp, InvalidOrRunawayPatternsFailWithoutThrowing) {
  for (const std::u16string pattern : {u"(a", u"[z-a]", u"a{2,1}", u"*"}) {
    VbRegExp regExp;
    regExp.Pattern = pattern;
    EXPECT_EQ(regExp.Execute(u"aaa"), nullptr);
    EXPECT_EQ(regExp.Replace(u"aaa", u"b"), std::nullopt);
  }
  VbRegExp runaway;
  runaway.Pattern = u"(x+x+)+y";
  EXPECT_EQ(runaway.Execute(std::u16string(40, u'x')), nullptr);
}

// --- RegExpObject --------------------------------------------------------------------

TEST(RegExpObject, LocationHeaderWithoutTrailingCr) {
  struct Case {
    Text headers;
    int count;
    Text location;
  };
  const Case cases[] = {
      {"HTTP/1.1 302 Found\r\nlocation:   http://media.example/a.mp3\r\nServer: x\r\n\r\n", 1,
       "http://media.example/a.mp3"},
      {"HTTP/1.1 302 Found\r\nLOCATION: http://a/1\r\nLocation: http://a/2\r\n", 2, "http://a/1"},
      // The pattern also matches inside Content-Location.
      {"HTTP/1.1 200 OK\r\nContent-Location: /c\r\nLocation: /l\r\n", 2, "/c"},
      {"HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\n\r\n", 0, ""},
      {"", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.headers);
    RegExpObject regExp;
    EXPECT_TRUE(regExp.CreateAndExecute(kLocationPattern, c.headers));
    EXPECT_EQ(regExp.MatchCount(), c.count);
    EXPECT_EQ(regExp.SubMatchText(1, 1), c.location);
    regExp.Destroy();
  }
}

TEST(RegExpObject, CharsetOfAPage) {
  struct Case {
    Text page, charset;
  };
  const Case cases[] = {
      {"<html><head><meta charset=\"utf-8\"><title>x</title>", "utf-8"},
      {"<META http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">", "gb2312"},
      {"<meta charset=GBK>", "GBK"},
      {"<meta name=\"viewport\" content=\"width=device-width\">", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    RegExpObject regExp;
    EXPECT_TRUE(regExp.CreateAndExecute(kCharsetPattern, c.page));
    EXPECT_EQ(regExp.SubMatchText(1, 1), c.charset);
  }
}

TEST(RegExpObject, PositionsAreByteOffsetsPastTwoByteCharacters) {
  RegExpObject regExp;
  // The second "ab" starts at UTF-16 unit 5 but at byte 7.
  ASSERT_TRUE(regExp.CreateAndExecute("ab", FromUtf8("中中ab ab")));
  ASSERT_EQ(regExp.MatchCount(), 2);
  int position = -9;
  EXPECT_EQ(regExp.MatchText(1, &position), "ab");
  EXPECT_EQ(position, 4);
  EXPECT_EQ(regExp.MatchText(2, &position), "ab");
  EXPECT_EQ(position, 7);

  ASSERT_TRUE(regExp.CreateAndExecute("(\\d+)-(\\d+)", FromUtf8("号码：12-34，56-78")));
  EXPECT_EQ(regExp.SubMatchCount(), 2);
  EXPECT_EQ(regExp.SubMatchText(1, 2, &position), "34");
  EXPECT_EQ(position, 9);
  EXPECT_EQ(regExp.SubMatchText(2, 1, &position), "56");
  EXPECT_EQ(position, 13);
  // A group repeating the text just before it is placed at its own offset.
  ASSERT_TRUE(regExp.CreateAndExecute("a(a)", FromUtf8("中aa")));
  EXPECT_EQ(regExp.SubMatchText(1, 1, &position), "a");
  EXPECT_EQ(position, 3);
  // Texts come back as code page 936; letter case is ignored by default.
  ASSERT_TRUE(regExp.CreateAndExecute(FromUtf8("歌手：(\\S+)"), FromUtf8("歌名：x 歌手：ABC")));
  EXPECT_EQ(regExp.SubMatchText(1, 1, &position), "ABC");
  EXPECT_EQ(position, 14);
  EXPECT_EQ(regExp.MatchText(1, &position), FromUtf8("歌手：ABC"));
  EXPECT_EQ(position, 8);
}

TEST(RegExpObject, EmptyResultsWithoutAMatch) {
  RegExpObject regExp;
  int position = 5;
  // Before any search.
  EXPECT_EQ(regExp.GetPattern(), "");
  EXPECT_EQ(regExp.MatchCount(), 0);
  EXPECT_EQ(regExp.SubMatchCount(), 0);
  EXPECT_EQ(regExp.MatchText(1, &position), "");
  EXPECT_EQ(position, -1);
  EXPECT_EQ(regExp.ReplaceMatches("x"), "");

  EXPECT_TRUE(regExp.CreateAndExecute("z(\\d)", "abc"));
  EXPECT_EQ(regExp.MatchCount(), 0);
  EXPECT_EQ(regExp.SubMatchText(1, 1), "");
  EXPECT_EQ(regExp.SubMatchCount(), 0);

  ASSERT_TRUE(regExp.CreateAndExecute("(a)|(b)", "b"));
  EXPECT_EQ(regExp.SubMatchCount(), 2);
  EXPECT_EQ(regExp.SubMatchText(1, 1, &position), "");
  EXPECT_EQ(position, -1);  // the group took no part
  EXPECT_EQ(regExp.SubMatchText(1, 2, &position), "b");
  EXPECT_EQ(position, 0);
  EXPECT_EQ(regExp.SubMatchText(1, 3), "");
  EXPECT_EQ(regExp.SubMatchText(0, 1), "");
  EXPECT_EQ(regExp.MatchText(2), "");

  // An invalid pattern: false, and every query is empty.
  EXPECT_FALSE(regExp.CreateAndExecute("(unclosed", "(unclosed"));
  EXPECT_EQ(regExp.MatchCount(), 0);
  EXPECT_EQ(regExp.SubMatchText(1, 1), "");
  EXPECT_EQ(regExp.ReplaceMatches("x"), "");
  EXPECT_EQ(regExp.GetPattern(), "(unclosed");
  EXPECT_FALSE(regExp.CreateAndExecute("(x+x+)+y", Text(40, 'x')));
  EXPECT_EQ(regExp.MatchCount(), 0);
}

TEST(RegExpObject, OptionsAndQuoteMarker) {
  struct Case {
    Text pattern, subject;
    bool caseSensitive, multiline, global, replaceQuoteMarker;
    int count;
    Text firstGroup;
  };
  const Text quote = FromUtf8("#引号");
  const Case cases[] = {
      {kLocationPattern, "location: /x", true, true, true, false, 0, ""},
      {kLocationPattern, "Location: /x", true, true, true, false, 1, "/x"},
      {"^(b)", "a\r\nb", false, true, true, false, 1, "b"},
      {"^(b)", "a\r\nb", false, false, true, false, 0, ""},
      {"(a)", "aaa", false, true, false, false, 1, "a"},
      {"id=" + quote + "(\\w+)" + quote, "<a id=\"v1\">", false, true, true, true, 1, "v1"},
      {"id=" + quote + "(\\w+)" + quote, "<a id=\"v1\">", false, true, true, false, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern + " on " + c.subject);
    RegExpObject regExp;
    EXPECT_TRUE(regExp.CreateAndExecute(c.pattern, c.subject, c.caseSensitive, c.multiline, c.global,
                                        c.replaceQuoteMarker));
    EXPECT_EQ(regExp.MatchCount(), c.count);
    EXPECT_EQ(regExp.SubMatchText(1, 1), c.firstGroup);
    EXPECT_EQ(regExp.GetPattern(), c.replaceQuoteMarker ? vorel::ReplaceQuoteMarker(c.pattern) : c.pattern);
  }
  RegExpObject regExp;
  regExp.CreateAndExecute("id=" + quote + "x", "", false, true, true, true);
  EXPECT_EQ(regExp.GetPattern(), "id=\"x");
}

TEST(RegExpObject, ReplaceMatchesOnTheStoredSubject) {
  RegExpObject regExp;
  ASSERT_TRUE(regExp.CreateAndExecute("(\\d+)", FromUtf8("第1页，共12页")));
  EXPECT_EQ(regExp.ReplaceMatches("[$1]"), FromUtf8("第[1]页，共[12]页"));
  EXPECT_EQ(regExp.ReplaceMatches(FromUtf8("几")), FromUtf8("第几页，共几页"));
  ASSERT_TRUE(regExp.CreateAndExecute("(\\d+)", FromUtf8("第1页，共12页"), false, true, false));
  EXPECT_EQ(regExp.ReplaceMatches("$1$1"), FromUtf8("第11页，共12页"));
}

TEST(RegExpObject, ApartmentCountStaysBalanced) {
  const int base = ComInitCount();
  {
    RegExpObject first;
    EXPECT_EQ(ComInitCount(), base + 1);
    ASSERT_TRUE(first.CreateAndExecute("(b)", "abc"));
    {
      RegExpObject copy = first.Copy();
      EXPECT_EQ(ComInitCount(), base + 2);
      EXPECT_EQ(copy.SubMatchText(1, 1), "b");
      // A new search in the original leaves the copy's matches alone.
      ASSERT_TRUE(first.CreateAndExecute("(c)", "abc"));
      EXPECT_EQ(copy.SubMatchText(1, 1), "b");
      EXPECT_EQ(copy.GetPattern(), "(b)");
      copy.Destroy();
      EXPECT_EQ(ComInitCount(), base + 1);
      EXPECT_EQ(copy.MatchCount(), 0);
      EXPECT_EQ(copy.GetPattern(), "");
    }  // the destructor does not release a second time
    EXPECT_EQ(ComInitCount(), base + 1);
    RegExpObject moved = std::move(first);
    EXPECT_EQ(ComInitCount(), base + 1);
    EXPECT_EQ(moved.SubMatchText(1, 1), "c");
    first.Destroy();  // the moved-from object holds nothing
    EXPECT_EQ(ComInitCount(), base + 1);
    moved.Destroy();
    moved.Destroy();
    EXPECT_EQ(ComInitCount(), base);
  }
  EXPECT_EQ(ComInitCount(), base);
}

}  // namespace
