#include <QApplication>

#include <cstdlib>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  // First: gtest_discover_tests runs the binary without the test's environment.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
