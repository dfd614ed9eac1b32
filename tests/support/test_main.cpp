// Test programs start here: a private runtime folder for Qt, an offscreen
// QApplication (real widgets, no display needed), then GoogleTest.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

// In a sanitizer build: GLib and GStreamer are built without frame pointers, so only the
// slow unwinder shows the stacks through them, and a few allocations they keep for the
// life of the process (GLib's first quark table, made by its library constructor; pieces
// GStreamer's HTTP source leaves as it stops) are not ours to free. The same list is in
// tests/lsan.supp for other programs.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
extern "C" const char* __lsan_default_suppressions() { return "leak:_dl_init\nleak:libgstsoup.so\n"; }

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  std::string runtime = (std::filesystem::temp_directory_path() / "vorel-test-runtime-XXXXXX").string();
  if (mkdtemp(runtime.data())) setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  const int result = RUN_ALL_TESTS();
  std::error_code ignored;
  std::filesystem::remove_all(runtime, ignored);
  return result;
}
