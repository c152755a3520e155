// SPDX-License-Identifier: MIT
// main() of the GUI tests: the offscreen platform unless one is set (test discovery runs the
// binary at build time without the test environment), a UTF-8 C library locale, the
// QApplication on the stack (a static one crashes at exit), then GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

// The offscreen platform warns about every window feature it lacks; those lines would bury the
// test output.
void QuietOffscreenWarnings(QtMsgType type, const QMessageLogContext& context, const QString& msg) {
  if (msg.startsWith(QLatin1String("This plugin does not support"))) return;
  fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, msg)));
}

}  // namespace

int main(int argc, char** argv) {
  qInstallMessageHandler(QuietOffscreenWarnings);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::setlocale(LC_CTYPE, "C.UTF-8");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
