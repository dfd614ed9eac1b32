// Test programs start here: a private runtime folder for Qt, an offscreen
// QApplication (real widgets, no display needed), then GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

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
