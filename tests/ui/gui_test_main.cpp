#include <QApplication>
#include <QThreadPool>

#include <cstdlib>

#include <gtest/gtest.h>

// Qt from Debian is not built for ThreadSanitizer: its locks (futexes) are
// invisible to it, so the threads Qt runs for itself (the file dialog's file
// information thread, its thread pool, the image work of a shown window's
// painting) look racy. Reports inside Qt are left out; every report with the
// program's own code on both sides stays.
extern "C" const char* __tsan_default_suppressions() {
  return "race:libQt6Core.so\n"
         "race:libQt6Gui.so\n"
         "race:libQt6Widgets.so\n"
         "race:QThreadPool\n"
         "race:QRunnable::create\n"
         "race:QWaitCondition\n"
         // Qt's pooled threads also meet inside GLib, built without it too.
         "race:libglib-2.0.so\n";
}

int main(int argc, char** argv) {
  // First: gtest_discover_tests runs the binary without the test's environment.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
#if defined(__SANITIZE_THREAD__)
  // Two pooled threads of Qt race on Qt's own uninstrumented data; one cannot.
  QThreadPool::globalInstance()->setMaxThreadCount(1);
#endif
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
