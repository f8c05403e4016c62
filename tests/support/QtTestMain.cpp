// main() of the Qt test executables: the QApplication is created only when tests run, so that
// listing the tests at build time needs no display. Widget tests run on the offscreen platform;
// OpenGL tests need a real X display (xvfb-run).
#include <gtest/gtest.h>

#include <QApplication>

#ifdef ORVELLE_TEST_GL
// Mesa leaks in modules it unloads; those reports say nothing about this program.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
#endif

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
#ifndef ORVELLE_TEST_GL
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
