#include "text/text_primitives.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <new>
#include <optional>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "platform/codepage/code_page_936.h"
#include "text/events.h"
#include "text/utf8_literal.h"

namespace vorel {
namespace {

std::vector<Text> Members(const TextArray& array) { return {array.begin(), array.end()}; }

TEST(FindText, Cases) {
  struct Case {
    Text text, sub;
    std::optional<int> start;
    bool ignoreCase;
    int expected;
  };
  const Case cases[] = {
      {"abcabc", "bc", std::nullopt, false, 2},
      {"abcabc", "bc", 3, false, 5},
      {"abcabc", "bc", 0, false, 2},
      {"abcabc", "bc", -5, false, 2},
      {"abcabc", "bc", INT_MIN, false, 2},
      {"abcabc", "bc", 7, false, -1},
      {"abcabc", "bc", INT_MAX, false, -1},
      {"abcabc", "abc", 1, false, 1},
      {"abcabc", "abcabcx", 1, false, -1},
      {"ABC", "b", std::nullopt, true, 2},
      {"ABC", "b", std::nullopt, false, -1},
      {"Location: x", "LOCATION:", std::nullopt, true, 1},
      {"x", "", std::nullopt, false, 1},
      {"abc", "", 3, false, 1},  // not the start position
      {"abc", "", 4, false, -1},
      {"", "", std::nullopt, false, -1},
      {"", "a", std::nullopt, false, -1},
      {"\xB0"
       "A",
       "A", std::nullopt, false, -1},  // 0x41 is the character's second byte
      {"\xB0"
       "A",
       "a", std::nullopt, true, -1},
      {"\xB0"
       "AA",
       "A", std::nullopt, false, 3},
      {"\xB0"
       "A",
       "\xB0"
       "A",
       std::nullopt, false, 1},
      {"\xB0\xB0\xB0"
       "A",
       "\xB0"
       "A",
       std::nullopt, false, 3},  // B0B0 then B0 41
      {"a\xB0\xB0"
       "A",
       "\xB0"
       "A",
       std::nullopt, false, -1},  // a, B0B0, A
      {"\xB0\xB0\xB0"
       "A",
       "\xB0"
       "A",
       2, false, -1},  // from byte 2: B0B0, A
      {"a\xB0\xB0"
       "A",
       "\xB0"
       "A",
       3, false, 3},  // the scan starts exactly at the start byte
      {"\xB0"
       "A",
       "A", 2, false, 2},
      {"ab\xB0", "\xB0", std::nullopt, false, 3},  // lead byte at the end, as a whole sub
      {"a\xB0", "x", std::nullopt, false, -1},
      // Folding reaches second bytes when the first byte matches: the comparison is per byte.
      {"\xB0"
       "a",
       "\xB0"
       "A",
       std::nullopt, true, 1},
      {"\xB0"
       "a",
       "\xB0"
       "A",
       std::nullopt, false, -1},
      {"<td class=\"song-bitrate\">", "class=", std::nullopt, false, 5},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FindText(c.text, c.sub, c.start, c.ignoreCase), c.expected)
        << "'" << c.text << "' '" << c.sub << "' " << c.start.value_or(-999) << " " << c.ignoreCase;
}

TEST(FindText, SkipsSecondBytesOnALongPage) {
  // A long run of two-byte characters whose second bytes spell the sub: only the real
  // occurrence at the end counts.
  Text page;
  for (int i = 0; i < 5000; ++i) page += "\xB0<";
  page += "<b>";
  EXPECT_EQ(FindText(page, "<b>"), 10001);
  EXPECT_EQ(FindText(page, "<"), 10001);
  EXPECT_EQ(FindTextReverse(page, "<"), 10001);
}

TEST(FindTextReverse, Cases) {
  struct Case {
    Text text, sub;
    std::optional<int> start;
    bool ignoreCase;
    int expected;
  };
  const Case cases[] = {
      {"abcabc", "bc", std::nullopt, false, 5},
      {"abcabc", "bc", 7, false, 5},
      {"abcabc", "bc", 100, false, 5},
      {"abcabc", "bc", 6, false, 2},
      {"abcabc", "bc", 5, false, 2},
      {"abcabc", "bc", 4, false, 2},
      {"abcabc", "bc", 3, false, -1},
      {"abcabc", "bc", 0, false, -1},
      {"abcabc", "bc", -3, false, -1},
      {"aaa", "aa", std::nullopt, false, 2},  // overlapping occurrences count
      {"ABCabc", "BC", std::nullopt, true, 5},
      {"ABCabc", "bc", std::nullopt, false, 5},
      {"ABCabc", "BC", std::nullopt, false, 2},
      {"x", "", std::nullopt, false, 1},
      {"x", "", 1, false, -1},
      {"", "", std::nullopt, false, -1},
      {"A\xB0"
       "A",
       "A", std::nullopt, false, 1},
      {"\xB0"
       "AA\xB0",
       "A", std::nullopt, false, 3},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FindTextReverse(c.text, c.sub, c.start, c.ignoreCase), c.expected)
        << "'" << c.text << "' '" << c.sub << "' " << c.start.value_or(-999);
}

TEST(ReplaceText, Cases) {
  struct Case {
    Text text, sub, replacement;
    bool caseSensitive;
    Text expected;
  };
  const Case cases[] = {
      {"aXbx", "x", "", false, "ab"},
      {"aXbx", "x", "", true, "aXb"},
      {"aaaa", "aa", "b", true, "bb"},  // no overlap
      {"aaa", "aa", "b", true, "ba"},
      {"abc", "b", "bb", true, "abbc"},  // replaced text is not searched again
      {"abc", "", "x", true, "abc"},
      {"", "a", "x", true, ""},
      {"\xB0"
       "Ax",
       "A", "-", true,
       "\xB0"
       "Ax"},  // second byte is not a match
      {"\xB0"
       "AA",
       "A", "-", true,
       "\xB0"
       "A-"},
      {"a\xB0", "x", "-", true, "a"},       // a lead byte at the end is dropped
      {"a\xB0", "xy", "-", true, "a\xB0"},  // ...unless the sub no longer fits there
      {"Set-Cookie: a\r\n", "\r\n", "; ", true, "Set-Cookie: a; "},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReplaceText(c.text, c.sub, c.replacement, c.caseSensitive), c.expected)
        << "'" << c.text << "' '" << c.sub << "'";
}

TEST(SplitText, Cases) {
  struct Case {
    Text text, separator;
    std::vector<Text> members;
  };
  const Case cases[] = {
      {"", ",", {}},
      {"a", ",", {"a"}},
      {"a,b", ",", {"a", "b"}},
      {"a,b,", ",", {"a", "b"}},
      {",a", ",", {"", "a"}},
      {"a,,b", ",", {"a", "", "b"}},
      {"a,,", ",", {"a", ""}},
      {",", ",", {""}},
      {"a\r\n\r\nb", "\r\n", {"a", "", "b"}},
      {"a\r\n", "\r\n", {"a"}},
      {"a", "\r\n", {"a"}},  // shorter than the separator
      {"a,b", "", {"a,b"}},
      {"\xB0,a", ",", {"\xB0,a"}},  // the separator's byte is a second byte here
      {"\xD2\xD2 - \xD2\xD2", " - ", {"\xD2\xD2", "\xD2\xD2"}},
      {"A - B - C", " - ", {"A", "B", "C"}},
      {"a,\xB0", ",", {"a", "\xB0"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Members(SplitText(c.text, c.separator)), c.members) << c.text;
}

TEST(Trim, Cases) {
  const Text ideographic = "\xA1\xA1";
  struct Case {
    Text text, both, end;
  };
  const Case cases[] = {
      {"  a b  ", "a b", "  a b"},
      {"\ta\r", "\ta\r", "\ta\r"},
      {" \ta \r ", "\ta \r", " \ta \r"},
      {ideographic + "a" + ideographic + " ", "a", ideographic + "a"},
      {" " + ideographic + " ", "", ""},
      {"", "", ""},
      {"a\xA1", "a", "a"},          // dangling lead byte dropped
      {"a \xB0", "a", "a"},         // ...and the blank run before it ends the text
      {"\xB0 ", "\xB0 ", "\xB0 "},  // B0 20 is one character, not a blank
      {"\xA1\xA1\xA1", "", ""},     // a blank, then a dangling lead byte
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TrimBoth(c.text), c.both) << "'" << c.text << "'";
    EXPECT_EQ(TrimEnd(c.text), c.end) << "'" << c.text << "'";
  }
}

TEST(LetterCase, ChangesOnlyAsciiLettersByCharacter) {
  EXPECT_EQ(ToUpper("ab\xB0"
                    "ac"),
            "AB\xB0"
            "aC");
  EXPECT_EQ(ToLower("AB\xB0"
                    "AC"),
            "ab\xB0"
            "Ac");
  EXPECT_EQ(ToUpper("a1-z{"), "A1-Z{");
  EXPECT_EQ(ToLower("A\xB0"), "a\xB0");  // lead byte at the end stays
  EXPECT_EQ(ToUpper(""), "");
}

TEST(Substrings, Cases) {
  EXPECT_EQ(TextLeft("abc", 2), "ab");
  EXPECT_EQ(TextLeft("abc", 9), "abc");
  EXPECT_EQ(TextLeft("abc", 0), "");
  EXPECT_EQ(TextLeft("abc", -1), "");
  EXPECT_EQ(TextRight("abc", 2), "bc");
  EXPECT_EQ(TextRight("abc", 9), "abc");
  EXPECT_EQ(TextRight("abc", -2), "");
  struct Case {
    int start, n;
    Text expected;
  };
  const Case mids[] = {{0, 2, ""}, {-1, 2, ""}, {1, 2, "ab"}, {2, 5, "bc"},       {3, 1, "c"},
                       {4, 1, ""}, {2, 0, ""},  {2, -1, ""},  {1, INT_MAX, "abc"}};
  for (const auto& c : mids) EXPECT_EQ(TextMid("abc", c.start, c.n), c.expected) << c.start << " " << c.n;
  EXPECT_EQ(TextLength(""), 0);
  EXPECT_EQ(TextLength("\xB0\xD9"
                       "a"),
            3);
  EXPECT_EQ(ConcatText(Text(), "a", Text("bc"), std::string_view("d")), "abcd");
}

TEST(CharacterCodes, Cases) {
  EXPECT_EQ(CharCode(""), 0);
  EXPECT_EQ(CharCode("\xB0\xD9"), -80);
  EXPECT_EQ(CharCode("A"), 65);
  EXPECT_EQ(CharFromCode(0), "");
  EXPECT_EQ(CharFromCode(256), "");
  EXPECT_EQ(CharFromCode(65), "A");
  EXPECT_EQ(CharFromCode(0x1B0), "\xB0");
  EXPECT_EQ(CharFromCode(-80), "\xB0");
  EXPECT_EQ(BlankText(3), "   ");
  EXPECT_EQ(BlankText(0), "");
  EXPECT_EQ(BlankText(-4), "");
}

TEST(CompareText, Cases) {
  EXPECT_EQ(CompareText("location: x", "Location: x", false), 0);
  EXPECT_NE(CompareText("location: x", "Location: x", true), 0);
  EXPECT_LT(CompareText("a", "ab", true), 0);
  EXPECT_GT(CompareText("b", "a", true), 0);
  EXPECT_EQ(CompareText("", "", true), 0);
  EXPECT_GT(CompareText("\xB0\xA1", "z", true), 0);  // a two-byte character sorts after ASCII
  EXPECT_NE(CompareText("\xB0"
                        "a",
                        "\xB0"
                        "A",
                        false),
            0);  // second bytes are not letters
  EXPECT_TRUE(TextEquals("", Text()));
  EXPECT_FALSE(TextEquals("a", "A"));
}

TEST(Numbers, ToText) {
  EXPECT_EQ(NumberToText(7), "7");
  EXPECT_EQ(NumberToText(-12), "-12");
  EXPECT_EQ(NumberToText(-7), "-7");
  EXPECT_EQ(NumberToText(INT_MIN), "-2147483648");
  struct Case {
    double value;
    Text expected;
  };
  const Case reals[] = {{3.0, "3"},         {12.5, "12.5"},     {0.1, "0.1"},
                        {-0.5, "-0.5"},     {1e13, "1e+13"},    {1e12, "1000000000000"},
                        {0.0001, "0.0001"}, {0.00001, "1e-05"}, {1.0 / 3, "0.3333333333333"}};
  for (const auto& c : reals) EXPECT_EQ(NumberToText(c.value), c.expected) << c.value;
  EXPECT_EQ(HexText(10), "A");
  EXPECT_EQ(HexText(0), "0");
  EXPECT_EQ(HexText(255), "FF");
  EXPECT_EQ(HexText(-1), "FFFFFFFF");
}

TEST(Numbers, TextToInt) {
  const Text fullWidth12 = "\xA3\xB1\xA3\xB2";
  const Text fullWidthMinus = "\xA3\xAD";
  const Text ideographic = "\xA1\xA1";
  struct Case {
    Text text;
    int expected;
  };
  const Case cases[] = {
      {" -12ab", -12},
      {"0x1F", 0},
      {"abc", 0},
      {"", 0},
      {fullWidth12, 12},
      {ideographic + fullWidthMinus + fullWidth12 + "3", -123},
      {"\t\r\n\v\f+42", 42},
      {"+-1", 0},
      {"- 1", 0},
      {"2147483647", INT_MAX},
      {"2147483648", INT_MIN},  // wraps modulo 2^32
      {"4294967297", 1},
      {"-2147483648", INT_MIN},
      {"12\xB0\xB1", 12},
      {"1\xA3", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(TextToInt(c.text), c.expected) << "'" << c.text << "'";
}

TEST(Numbers, DivideAndRemainder) {
  EXPECT_EQ(IntegerDivide(125, 60), 2);
  EXPECT_EQ(IntegerDivide(-7, 2), -3);
  EXPECT_EQ(Remainder(125, 60), 5);
  EXPECT_EQ(Remainder(-7, 3), -1);
  EXPECT_EQ(Remainder(7, -3), 1);
  EXPECT_EQ(NumberToText(IntegerDivide(125, 60)), "2");
  EXPECT_EQ(NumberToText(Remainder(125, 60)), "5");
  EXPECT_EQ(BitOr(1, 2, 8), 11);
  EXPECT_EQ(BitOr(0x100), 0x100);
}

TEST(Numbers, RandomInRangeStaysInRangeAndIsNotSeeded) {
  std::set<int> seen;
  for (int i = 0; i < 2000; ++i) {
    const int r = RandomInRange(10, 3);  // either order
    EXPECT_GE(r, 3);
    EXPECT_LE(r, 10);
    seen.insert(r);
  }
  EXPECT_EQ(seen.size(), 8u);
  EXPECT_EQ(RandomInRange(5, 5), 5);
  for (int i = 0; i < 100; ++i) {
    const int r = RandomInRange(-4, 2);  // a negative bound reads as 0
    EXPECT_GE(r, 0);
    EXPECT_LE(r, 2);
    EXPECT_GE(RandomInRange(0, INT_MAX), 0);
  }
  EXPECT_EQ(RandomInRange(-3, -9), 0);
  // Never seeded: a fresh thread sees the same sequence as any other fresh thread.
  auto firstValues = [] {
    std::vector<int> values;
    std::thread([&] {
      for (int i = 0; i < 5; ++i) values.push_back(RandomInRange(0, 32767));
    }).join();
    return values;
  };
  const std::vector<int> first = firstValues();
  EXPECT_EQ(first, firstValues());
  EXPECT_EQ(first[0], 41);  // the generator's first value from its fixed state
}

TEST(ByteBuffers, Cases) {
  const ByteBuffer abc = TextToBytes("abc");
  EXPECT_EQ(abc, (ByteBuffer{'a', 'b', 'c'}));
  EXPECT_EQ(BytesLength(abc), 3);
  EXPECT_EQ(BytesLength({}), 0);
  EXPECT_EQ(BytesLeft(abc, 2), (ByteBuffer{'a', 'b'}));
  EXPECT_EQ(BytesLeft(abc, 0), ByteBuffer{});
  EXPECT_EQ(BytesLeft(abc, 7), abc);
  struct Case {
    int start, n;
    ByteBuffer expected;
  };
  const Case mids[] = {{0, 2, {'a', 'b'}}, {-9, 2, {'a', 'b'}}, {-9, 99, {'a', 'b', 'c'}},
                       {2, 5, {'b', 'c'}}, {3, 1, {'c'}},       {4, 1, {}},
                       {1, 0, {}},         {1, -1, {}}};
  for (const auto& c : mids) EXPECT_EQ(BytesMid(abc, c.start, c.n), c.expected) << c.start << " " << c.n;
  EXPECT_EQ(BlankBytes(3), (ByteBuffer{0, 0, 0}));
  EXPECT_EQ(BlankBytes(-1), ByteBuffer{});
  EXPECT_EQ(BytesToText({0x41, 0x00, 0x42}), "A");
  EXPECT_EQ(BytesToText({0x41, 0x42}), "AB");
  EXPECT_EQ(BytesToText({}), "");
  EXPECT_EQ(TextToBytes(ByteBuffer{0, 1}), (ByteBuffer{0, 1}));
  const char raw[] = {'x', 0, 'y'};
  EXPECT_EQ(PointerToBytes(raw, 3), (ByteBuffer{'x', 0, 'y'}));
  EXPECT_EQ(PointerToBytes(raw, 0), ByteBuffer{});
  EXPECT_EQ(PointerToBytes(nullptr, 4), ByteBuffer{});
  EXPECT_TRUE(BytesEqual({}, {}));
  EXPECT_TRUE(BytesEqual({0, 1}, {0, 1}));
  EXPECT_FALSE(BytesEqual({0, 1}, {0, 1, 2}));
  EXPECT_EQ(ConcatBytes(ByteBuffer{1}, ByteBuffer{}, ByteBuffer{2, 3}), (ByteBuffer{1, 2, 3}));
}

TEST(Arrays, AppendAndIndex) {
  TextArray array;
  EXPECT_EQ(ArrayCount(array), 0);
  Text value = "a";
  ArrayAppend(array, value);
  value = "changed";
  ArrayAppend(array, "");
  EXPECT_EQ(ArrayCount(array), 2);
  EXPECT_EQ(array[1], "a");
  EXPECT_EQ(array[2], "");
  array[2] = "b";
  EXPECT_EQ(std::as_const(array)[2], "b");
}

TEST(EventsTest, ProcessEventsRunsTheInstalledHook) {
  static int calls = 0;
  ProcessEvents();  // none installed: nothing happens
  SetProcessEventsHook([] { ++calls; });
  ProcessEvents();
  ProcessEvents();
  SetProcessEventsHook(nullptr);
  ProcessEvents();
  EXPECT_EQ(calls, 2);
}

// Fatal errors end the process with -1 (255 as the parent sees it) and print the box text.
class FatalErrorDeathTest : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(FatalErrorDeathTest, ArrayIndexOutOfRange) {
  TextArray array;
  array.Append("a");
  EXPECT_EXIT(
      (void)array[2], testing::ExitedWithCode(255),
      testing::StrEq("运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n"));
  EXPECT_EXIT(
      (void)array[0], testing::ExitedWithCode(255),
      testing::StrEq("运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1\r\n"));
  EXPECT_EXIT((void)std::as_const(array)[-1], testing::ExitedWithCode(255),
              testing::HasSubstr("错误代码：4"));
  EXPECT_EXIT((void)TextArray()[1], testing::ExitedWithCode(255), testing::HasSubstr("错误代码：1"));
}

TEST_F(FatalErrorDeathTest, DivisionByZero) {
  EXPECT_EXIT(IntegerDivide(1, 0), testing::ExitedWithCode(255),
              testing::StrEq("运行时出错!\r\n\r\n错误信息：不能整除于零\r\n"));
  EXPECT_EXIT(Remainder(1, 0), testing::ExitedWithCode(255),
              testing::StrEq("运行时出错!\r\n\r\n错误信息：不能求余数于零\r\n"));
}

TEST_F(FatalErrorDeathTest, HookReceivesTheBoxText) {
  EXPECT_EXIT(
      {
        SetFatalErrorHook([](const Text& text) {
          // The hook gets code page 936 bytes; show what arrived as UTF-8 for the check.
          std::fputs(("hook:" + platform::Cp936ToUtf8(text)).c_str(), stderr);
        });
        FatalError(7, FromUtf8("消息"));
      },
      testing::ExitedWithCode(255),
      testing::StrEq("hook:运行时出错!\r\n\r\n错误代码：7\r\n\r\n错误信息：消息\r\n"));
}

TEST_F(FatalErrorDeathTest, AllocationFailure) {
  EXPECT_EQ(AllocationFailureMessage(1024), FromUtf8("分配 1024 字节内存失败!"));
  EXPECT_EXIT(ReportAllocationFailure(5000000000ULL), testing::ExitedWithCode(255),
              testing::HasSubstr("错误信息：分配 5000000000 字节内存失败!\r\n"));
#ifndef __SANITIZE_ADDRESS__  // the sanitizer's allocator stops the program itself
  EXPECT_EXIT(
      {
        std::set_new_handler(AllocationFailureHandler);
        void* huge = ::operator new (std::size_t{1} << 44);  // 16 TiB: more than any machine here
        std::fprintf(stderr, "allocated %p", huge);
      },
      testing::ExitedWithCode(255), testing::HasSubstr("错误信息：分配内存失败!\r\n"));
#endif
}

}  // namespace
}  // namespace vorel
