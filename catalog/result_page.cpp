#include "result_page.h"

namespace catalog {

std::string HtmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

std::string RenderResultPage(const ResultPage& page) {
  std::string html;
  html += "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n";
  html += "<title>Vorel 曲库 - " + HtmlEscape(page.keyword) + "</title></head>\n<body>\n";
  html += "<h1>搜索：" + HtmlEscape(page.keyword) + "</h1>\n";
  html += "<table class=\"song-list\">\n";
  html += "<tr><th>歌曲</th><th>品质</th></tr>";
  for (const ResultRow& row : page.rows) {
    html += "<tr><td width=70% class=\"song-name\">";
    html += HtmlEscape(row.singer) + " - " + HtmlEscape(row.name);
    html += "</td><td class=\"song-bitrate\">";
    for (const ResultLink& link : row.links) {
      html += "<a href=\"" + HtmlEscape(link.url) + "\" class=\"" + link.qualityWord + "\">" +
              link.qualityLabel + "</a>";
    }
    html += "</td></tr>";
  }
  html += "<tr><td colspan=2 class=\"page-info\">共 " + std::to_string(page.matchCount) + " 首，第 " +
          std::to_string(page.pageIndex + 1) + " 页 / 共 " + std::to_string(page.pageCount) +
          " 页</td></tr>\n";
  html += "</table>\n</body></html>\n";
  return html;
}

}  // namespace catalog
