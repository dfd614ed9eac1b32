// Writes a file so that it appears complete or not at all.
//
// The bytes go to a temporary file in the target's folder; Commit flushes it to disk
// and renames it over the target. Until then an existing file of that name is left
// exactly as it was, and a writer destroyed without a successful Commit removes its
// temporary file. File names are UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vorel::platform {

class AtomicFile {
 public:
  // Creates the temporary file in `folder` ("." for the current directory).
  explicit AtomicFile(const std::string& folder);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  bool ok() const { return fd_ >= 0 && !failed_; }
  // Appends bytes; false (and the writer is failed) when the disk refuses them.
  bool Write(const void* data, std::size_t size);
  // Flushes and renames the temporary file to `name` inside the folder.
  bool Commit(const std::string& name);
  // Removes the temporary file now.
  void Discard();
  const std::string& temporaryPath() const { return tempPath_; }

 private:
  std::string folder_;
  std::string tempPath_;
  int fd_ = -1;
  bool failed_ = false;
};

// Creates or replaces `name` with `bytes` through an AtomicFile in the name's folder.
// An empty name gives false without touching the disk.
bool WriteWholeFileUtf8(const std::string& name, std::string_view bytes);

}  // namespace vorel::platform
