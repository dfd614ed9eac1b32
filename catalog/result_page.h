// The HTML result page of a search, in the fixed shape that clients scrape: one table
// row per song, "<tr><td width=70% class="song-name">SINGER - SONG</td>" followed by
// "<td class="song-bitrate">" with one "<a href="LINK" class="...">" per quality
// (standard, high, lossless), then "</a></td></tr>"; rows follow each other without
// white space and a closing summary row follows the last song, so that every quality
// cell ends with "</a></td></tr><tr>". UTF-8, declared in the head's first bytes.
#pragma once

#include <string>
#include <vector>

namespace catalog {

struct ResultLink {
  std::string url;
  std::string qualityWord;   // "standard", "high", "lossless": the link's class
  std::string qualityLabel;  // "标准", "高品", "无损": the link's text
};

struct ResultRow {
  std::string singer;
  std::string name;
  std::vector<ResultLink> links;
};

struct ResultPage {
  std::string keyword;
  std::size_t pageIndex = 0;
  std::size_t pageCount = 0;  // pages that hold rows
  std::size_t matchCount = 0;
  std::vector<ResultRow> rows;
};

// Escapes &, <, > and double quotes for HTML text and attribute values.
std::string HtmlEscape(const std::string& text);

std::string RenderResultPage(const ResultPage& page);

}  // namespace catalog
