#include "platform/files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace vorel::platform {

AtomicFile::AtomicFile(const std::string& folder) : folder_(folder.empty() ? "." : folder) {
  std::string pattern = folder_ + "/.vorel-download-XXXXXX";
  fd_ = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ >= 0) {
    tempPath_ = pattern;
    fchmod(fd_, 0644);
  }
}

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::Write(const void* data, std::size_t size) {
  if (!ok()) return false;
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd_, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      failed_ = true;
      return false;
    }
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool AtomicFile::Commit(const std::string& name) {
  if (!ok() || name.empty()) return false;
  if (::fsync(fd_) != 0 || ::close(fd_) != 0) {
    fd_ = -1;
    failed_ = true;
    return false;
  }
  fd_ = -1;
  const std::string target = folder_ + "/" + name;
  if (::rename(tempPath_.c_str(), target.c_str()) != 0) {
    failed_ = true;
    return false;
  }
  tempPath_.clear();
  return true;
}

void AtomicFile::Discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!tempPath_.empty()) {
    ::unlink(tempPath_.c_str());
    tempPath_.clear();
  }
}

bool WriteWholeFileUtf8(const std::string& name, std::string_view bytes) {
  if (name.empty()) return false;
  const auto slash = name.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : name.substr(0, slash));
  const std::string leaf = slash == std::string::npos ? name : name.substr(slash + 1);
  AtomicFile file(folder);
  return file.Write(bytes.data(), bytes.size()) && file.Commit(leaf);
}

}  // namespace vorel::platform
