#include "library.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "url_codec.h"

namespace catalog {
namespace fs = std::filesystem;

namespace {

struct NamedFile {
  std::string singer;
  std::string name;
  Quality quality;
};

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool HasControlCharacters(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

// "A - B.hq.mp3" -> {A, B, High}; nothing for names outside the convention.
std::optional<NamedFile> ParseFileName(std::string_view fileName) {
  if (fileName.empty() || fileName.front() == '.') return std::nullopt;
  if (!IsValidUtf8(fileName) || HasControlCharacters(fileName)) return std::nullopt;
  std::string_view stem;
  Quality quality;
  if (EndsWith(fileName, ".hq.mp3")) {
    stem = fileName.substr(0, fileName.size() - 7), quality = Quality::High;
  } else if (EndsWith(fileName, ".mp3")) {
    stem = fileName.substr(0, fileName.size() - 4), quality = Quality::Standard;
  } else if (EndsWith(fileName, ".flac")) {
    stem = fileName.substr(0, fileName.size() - 5), quality = Quality::Lossless;
  } else {
    return std::nullopt;
  }
  const std::size_t separator = stem.find(" - ");
  if (separator == std::string_view::npos) return std::nullopt;
  NamedFile named{std::string(stem.substr(0, separator)), std::string(stem.substr(separator + 3)), quality};
  if (named.singer.empty() || named.name.empty()) return std::nullopt;
  return named;
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// The songs of one folder (not its subfolders), sorted by singer and name.
std::vector<Song> ScanFolder(const fs::path& folder, const std::string& prefix) {
  std::map<std::pair<std::string, std::string>, Song> byName;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code kindError;
    if (!it->is_regular_file(kindError)) continue;
    const std::string fileName = it->path().filename().string();
    const auto named = ParseFileName(fileName);
    if (!named) continue;
    Song& song = byName[{named->singer, named->name}];
    song.singer = named->singer;
    song.name = named->name;
    song.files[static_cast<std::size_t>(named->quality)] = prefix + fileName;
  }
  std::vector<Song> songs;
  for (auto& [key, song] : byName) songs.push_back(std::move(song));
  return songs;
}

}  // namespace

std::string_view QualityWord(Quality quality) {
  switch (quality) {
    case Quality::Standard:
      return "standard";
    case Quality::High:
      return "high";
    case Quality::Lossless:
      return "lossless";
  }
  return "standard";
}

std::optional<Quality> QualityFromWord(std::string_view word) {
  for (const Quality quality : kQualities) {
    if (QualityWord(quality) == word) return quality;
  }
  return std::nullopt;
}

std::optional<Library> Library::Scan(const std::string& musicDir, std::string& error) {
  std::error_code ec;
  const fs::path root = fs::absolute(musicDir, ec);
  if (ec || !fs::is_directory(root, ec)) {
    error = "not a folder: " + musicDir;
    return std::nullopt;
  }
  Library library;
  library.root_ = root.string();
  auto add = [&library](std::vector<Song> songs, std::vector<std::size_t>& indexes) {
    for (Song& song : songs) {
      song.id = library.songs_.size();
      for (const std::string& file : song.files) {
        if (!file.empty()) library.media_[file] = (fs::path(library.root_) / file).string();
      }
      indexes.push_back(library.songs_.size());
      library.songs_.push_back(std::move(song));
    }
  };
  add(ScanFolder(root, ""), library.mainSongs_);

  std::vector<std::string> subfolders;
  for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code kindError;
    const std::string name = it->path().filename().string();
    if (!it->is_directory(kindError) || name.empty() || name.front() == '.') continue;
    if (!IsValidUtf8(name) || HasControlCharacters(name)) continue;
    subfolders.push_back(name);
  }
  if (ec) {
    error = "cannot read " + library.root_ + ": " + ec.message();
    return std::nullopt;
  }
  std::sort(subfolders.begin(), subfolders.end());
  for (const std::string& name : subfolders) {
    add(ScanFolder(root / name, name + "/"), library.folders_[name]);
  }
  return library;
}

std::vector<const Song*> Library::Search(std::string_view siteKey, std::string_view keyword) const {
  const auto folder = folders_.find(siteKey);
  const std::vector<std::size_t>& indexes = folder != folders_.end() ? folder->second : mainSongs_;
  const std::string needle = AsciiLower(keyword);
  std::vector<const Song*> found;
  for (const std::size_t index : indexes) {
    const Song& song = songs_[index];
    if (needle.empty() || AsciiLower(song.singer).find(needle) != std::string::npos ||
        AsciiLower(song.name).find(needle) != std::string::npos) {
      found.push_back(&song);
    }
  }
  return found;
}

const Song* Library::FindSong(std::size_t id) const { return id < songs_.size() ? &songs_[id] : nullptr; }

std::optional<std::string> Library::MediaPath(std::string_view relativePath) const {
  const auto it = media_.find(relativePath);
  if (it == media_.end()) return std::nullopt;
  return it->second;
}

}  // namespace catalog
