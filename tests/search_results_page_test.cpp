#include "search/search_results_page.h"

#include <gtest/gtest.h>

#include "text/utf8_literal.h"

namespace {

using vorel::ParseSearchResults;
using vorel::Text;

Text Song(const Text& name, const std::vector<Text>& links) {
  Text cell;
  for (const auto& link : links) cell += "<a href=\"" + link + "\" class=\"q\">x";
  if (links.empty()) cell += "<a>x";
  return "<td width=70% class=\"song-name\">" + name + "</td><td class=\"song-bitrate\">" + cell +
         "</a></td></tr><tr>";
}

struct Row {
  Text song, singer, standard, high, lossless;
};

struct Case {
  const char* what;
  Text page;
  std::vector<Row> rows;
};

TEST(ParseSearchResults, ListsOneRowPerNameCell) {
  const Text jia = vorel::FromUtf8("甲"), yi = vorel::FromUtf8("乙");
  const Case cases[] = {
      {"empty page", "", {}},
      {"page without name cells", "<html><body>nothing</body></html>", {}},
      {"three links then one",
       "<table><tr>" + Song("A - B", {"s1", "h1", "l1"}) + Song("C - D", {"s2"}) + "</td></tr></table>",
       {{"B", "A", "s1", "h1", "l1"}, {"D", "C", "s2", "", ""}}},
      {"two links", Song("A - B", {"s", "h"}), {{"B", "A", "s", "h", ""}}},
      {"four links: the first three count", Song("A - B", {"1", "2", "3", "4"}), {{"B", "A", "1", "2", "3"}}},
      {"cell without link elements", Song("A - B", {}), {{"B", "A", "", "", ""}}},
      {"no links does not inherit the previous row's",
       Song("A - B", {"s"}) + Song("C - D", {}),
       {{"B", "A", "s", "", ""}, {"D", "C", "", "", ""}}},
      {"two-byte names", Song(jia + " - " + yi, {"u"}), {{yi, jia, "u", "", ""}}},
      {"extra separators are ignored", Song("A - B - C", {"u"}), {{"B", "A", "u", "", ""}}},
      {"blanks stay", Song(" A - B ", {" u "}), {{"B ", " A", " u ", "", ""}}},
      {"entities stay undecoded",
       Song("A&amp;B - C&#39;", {"u?a=1&amp;b"}),
       {{"C&#39;", "A&amp;B", "u?a=1&amp;b", "", ""}}},
      {"more cells than names",
       Song("A - B", {"s"}) + "<td class=\"song-bitrate\"><a href=\"x\" class=\"q\">x</a></td></tr><tr>",
       {{"B", "A", "s", "", ""}}},
      // Pages the service should never send: listed rather than stopping the program.
      {"name without separator", Song("Solo", {"s"}), {{"Solo", "", "s", "", ""}}},
      {"empty name cell", Song("", {"s"}), {{"", "", "s", "", ""}}},
      {"separator at the end", Song("A - ", {"s"}), {{"", "A", "s", "", ""}}},
      {"last song without its quality cell",
       Song("A - B", {"s"}) + "<td width=70% class=\"song-name\">C - D</td><td class=\"song-bitrate\">" +
           "<a href=\"t\" class=\"q\">x</a></td></tr></table>",
       {{"B", "A", "s", "", ""}, {"D", "C", "", "", ""}}},
  };
  for (const auto& c : cases) {
    const auto rows = ParseSearchResults(c.page);
    ASSERT_EQ(rows.size(), c.rows.size()) << c.what;
    for (size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].songName, c.rows[i].song) << c.what << " row " << i;
      EXPECT_EQ(rows[i].singer, c.rows[i].singer) << c.what << " row " << i;
      EXPECT_EQ(rows[i].standardUrl, c.rows[i].standard) << c.what << " row " << i;
      EXPECT_EQ(rows[i].highUrl, c.rows[i].high) << c.what << " row " << i;
      EXPECT_EQ(rows[i].losslessUrl, c.rows[i].lossless) << c.what << " row " << i;
    }
  }
}

}  // namespace
