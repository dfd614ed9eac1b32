#include "app/clock_text.h"

#include <gtest/gtest.h>

#include "app/download_file_name.h"
#include "text/utf8_literal.h"

namespace {

TEST(ClockText, ElapsedAndTotalParts) {
  struct Case {
    int minutes, seconds;
    const char* elapsed;
  };
  const Case elapsed[] = {{0, 1, "00:01"},    {0, 9, "00:09"},    {0, 10, "00:10"}, {0, 59, "00:59"},
                          {1, 0, "01:00"},    {1, 5, "01:05"},    {4, 5, "04:05"},  {10, 0, "010:00"},
                          {12, 34, "012:34"}, {123, 7, "0123:07"}};
  for (const auto& c : elapsed) EXPECT_EQ(vorel::ElapsedText(c.minutes, c.seconds), c.elapsed) << c.elapsed;

  struct Total {
    int seconds;
    const char* text;
  };
  const Total totals[] = {{245, " \\ 04:5"},   {0, " \\ 00:0"},     {60, " \\ 01:0"},
                          {754, " \\ 012:34"}, {3600, " \\ 060:0"}, {59, " \\ 00:59"}};
  for (const auto& t : totals) EXPECT_EQ(vorel::TotalText(t.seconds), t.text) << t.seconds;
}

TEST(DownloadFileName, KeepsTheNameInTheProgramsFolder) {
  struct Case {
    vorel::Text keyword;
    std::string name;
  };
  const Case cases[] = {
      {vorel::FromUtf8("百花香"), "百花香.mp3"},
      {"", ".mp3"},
      {"../up", ".._up.mp3"},
      {"/etc/passwd", "_etc_passwd.mp3"},
      {"a\tb\x7F"
       "c",
       "a_b_c.mp3"},
      {"back\\slash", "back\\slash.mp3"},
      {vorel::FromUtf8("甲/乙"), "甲_乙.mp3"},
  };
  for (const auto& c : cases) EXPECT_EQ(vorel::DownloadFileName(c.keyword), c.name) << c.name;
}

}  // namespace
