// The music folder as the service sees it: songs found by file name, each in up to
// three qualities, grouped by site folder, read once when the service starts.
//
// Naming: "SINGER - SONG.mp3" (standard), "SINGER - SONG.hq.mp3" (high quality),
// "SINGER - SONG.flac" (lossless); the name is split at its first " - ". Files directly
// in the folder form the main collection; each direct subfolder forms the collection of
// the site key of the same name. Hidden files, names that are not UTF-8 or that hold
// control characters, and files of other kinds are left out.
#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace catalog {

enum class Quality { Standard = 0, High = 1, Lossless = 2 };
inline constexpr std::array<Quality, 3> kQualities = {Quality::Standard, Quality::High, Quality::Lossless};

// "standard", "high", "lossless": the quality's word in song links.
std::string_view QualityWord(Quality quality);
std::optional<Quality> QualityFromWord(std::string_view word);

struct Song {
  std::size_t id = 0;  // unique over the whole library
  std::string singer;
  std::string name;
  // Per quality, the file's path relative to the music folder ("wy/A - B.mp3"), or empty.
  std::array<std::string, 3> files;

  const std::string& file(Quality quality) const { return files[static_cast<std::size_t>(quality)]; }
};

class Library {
 public:
  // Reads `musicDir`; nothing (and `error` set) when it is not a readable folder.
  static std::optional<Library> Scan(const std::string& musicDir, std::string& error);

  const std::string& root() const { return root_; }
  std::size_t songCount() const { return songs_.size(); }

  // The songs of the site key's folder when it has one, else of the main collection,
  // whose singer or name contains `keyword` (ASCII letters compared without case); an
  // empty keyword matches every song. In the library's order (singer, then name).
  std::vector<const Song*> Search(std::string_view siteKey, std::string_view keyword) const;

  const Song* FindSong(std::size_t id) const;

  // The full path of a song file given its relative path, when it is one of the library's.
  std::optional<std::string> MediaPath(std::string_view relativePath) const;

 private:
  std::string root_;
  std::vector<Song> songs_;
  std::vector<std::size_t> mainSongs_;                                    // indexes into songs_
  std::map<std::string, std::vector<std::size_t>, std::less<>> folders_;  // site key -> indexes
  std::map<std::string, std::string, std::less<>> media_;                 // relative -> full path
};

}  // namespace catalog
