// orvelle-cli render --view 3d with no display at all: the picture drawn without any window
// system is the one drawn on an X display, pixel for pixel.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "data/SettingsFile.h"
#include "support/TestSupport.h"

namespace orvelle {
namespace {

using test::CliResult;
using test::ExamplePath;
using test::RunCliProcess;
using test::TempDir;

// A 501 x 501 lattice at pitch 1 with hills and a hole, so every grid point is drawn.
std::string WriteFullGrid(const TempDir& dir) {
  const std::string path = dir.File("full.thk");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fputs("500,\r\n1,1,\r\n1,Height,\r\n", f);
  for (int x = 0; x <= 500; ++x) {
    for (int y = 0; y <= 500; ++y) {
      if (std::hypot(x - 320, y - 180) < 25) continue;
      const double v = 50 + 10 * std::sin(x / 37.0) * std::cos(y / 23.0) + 0.01 * x;
      std::fprintf(f, "%d,%d,%.4f,\r\n", x, y, v);
    }
  }
  std::fclose(f);
  return path;
}

QImage Render3d(const std::vector<std::string>& args, const std::string& stdinText,
                const std::vector<std::string>& env, const std::string& out) {
  std::vector<std::string> all = {"render"};
  all.insert(all.end(), args.begin(), args.end());
  all.insert(all.end(), {"--view", "3d", "-o", out});
  const CliResult r = RunCliProcess(all, stdinText, env);
  EXPECT_EQ(r.status, 0) << r.err;
  return QImage(QString::fromStdString(out));
}

TEST(CliRender3d, WithoutAnyDisplayThePictureEqualsTheOneOnTheXDisplay) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display to compare with";
  TempDir dir;
  ViewerParams fine = DesignedParams();
  fine.d3DrawPitch = 1;
  const std::string pitch1 = dir.Write("pitch1.dat", FormatSettings(fine));
  const std::string full = WriteFullGrid(dir);
  struct Case {
    std::vector<std::string> args;
    std::string stdinText;
  };
  const std::vector<Case> cases = {
      {{ExamplePath("volcano_pitch5.thk")}, ""},
      {{ExamplePath("volcano_pitch5.thk"), "--type", "1", "--settings", pitch1}, ""},
      {{ExamplePath("coads_atlantic_sparse.thk"), "--type", "2"}, ""},
      {{"-"}, test::ReadFile(ExamplePath("volcano_spline_clipboard.txt"))},
      {{full}, ""},
      {{full, "--settings", pitch1}, ""},
  };
  // Mesa leaks in modules it unloads; under the sanitizers that would fail the command.
  const std::string quiet = "ASAN_OPTIONS=detect_leaks=0";
  const std::vector<std::string> noDisplay = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                                              quiet};
  for (const Case& c : cases) {
    const QImage onX = Render3d(c.args, c.stdinText, {quiet}, dir.File("x.png"));
    const QImage alone = Render3d(c.args, c.stdinText, noDisplay, dir.File("alone.png"));
    ASSERT_FALSE(onX.isNull()) << c.args[0];
    EXPECT_EQ(alone.convertToFormat(QImage::Format_RGB32),
              onX.convertToFormat(QImage::Format_RGB32))
        << c.args[0] << " " << c.args.size();
  }
}

}  // namespace
}  // namespace orvelle
