// Opening a 501 x 501 file with nine data types (about 26 MB) in the window: the time from the
// chosen file to all four views drawn, split into reading, conditioning and drawing. The file
// is generated into the temporary directory unless one is named on the command line. Needs an
// X display (the 3D panel is drawn with OpenGL).
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Main.h"
#include "bench/BenchClock.h"
#include "data/Conditioning.h"
#include "data/Message.h"
#include "data/ThkFormat.h"
#include "data/ViewerParams.h"
#include "platform/Dialogs.h"

namespace {

using namespace orvelle;
using orvelle::bench::CpuMs;
using orvelle::bench::Median;
using orvelle::bench::NowMs;

std::string MakeFile() {
  const std::string path =
      (std::filesystem::temp_directory_path() / "orvelle-open-bench-501.thk").string();
  std::string t;
  t.reserve(28u << 20);
  t += "500,\r\n1,1,\r\n9,";
  for (int k = 1; k <= 9; ++k) t += "Type" + std::to_string(k) + ",";
  t += "\r\n";
  unsigned seed = 12345;
  char buf[32];
  for (int x = 0; x <= 500; ++x) {
    for (int y = 0; y <= 500; ++y) {
      t += std::to_string(x) + "," + std::to_string(y) + ",";
      for (int k = 0; k < 9; ++k) {
        seed = seed * 1103515245u + 12345u;
        std::snprintf(buf, sizeof buf, "%.4f,", -9999.9999 + (seed >> 8) % 200000000 / 10000.0);
        t += buf;
      }
      t += "\r\n";
    }
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return {};
  std::fwrite(t.data(), 1, t.size(), f);
  std::fclose(f);
  return path;
}

struct Sample {
  std::vector<double> wall, cpu;
  void Add(double w, double c) {
    wall.push_back(w);
    cpu.push_back(c);
  }
  void Print(const char* what) const {
    std::printf("%-34s median %7.2f ms (cpu %7.2f)\n", what, Median(wall), Median(cpu));
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::string path = argc > 1 ? argv[1] : MakeFile();
  if (path.empty() || !std::filesystem::exists(path)) {
    std::fprintf(stderr, "cannot write or find the data file\n");
    return 1;
  }
  SetMessageHandler([](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
  QTemporaryDir dir;
  TForm1 window(dir.path() + '/');
  window.show();
  for (int i = 0; i < 20; ++i) QApplication::processEvents();
  PlatformHooks().openFile = [&](const FileDialogSpec&) {
    return std::optional<QString>(QString::fromStdString(path));
  };

  constexpr int kRuns = 7;
  Sample open, read, condition;
  auto sets = MakeDataSets();
  const ViewerParams params = DesignedParams();
  for (int run = 0; run <= kRuns; ++run) {
    // The whole command: from the chosen file to the window showing all four views.
    double w0 = NowMs(), c0 = CpuMs();
    window.Btn_OpenClick();
    window.repaint();
    QApplication::processEvents();
    if (run > 0) open.Add(NowMs() - w0, CpuMs() - c0);

    // Its first two steps alone, on a second set of slots.
    ResetDataSets(sets.get(), kMaxDataSets);
    w0 = NowMs();
    c0 = CpuMs();
    const int n = LoadThkFile(path, sets.get());
    if (run > 0) read.Add(NowMs() - w0, CpuMs() - c0);
    w0 = NowMs();
    c0 = CpuMs();
    ConditionDataSets(sets.get(), n, params);
    if (run > 0) condition.Add(NowMs() - w0, CpuMs() - c0);
  }
  const double bytes = static_cast<double>(std::filesystem::file_size(path));
  std::printf("open of %.1f MB, %d runs after one warm-up (target 150 ms):\n", bytes / 1e6, kRuns);
  open.Print("chosen file to four views drawn");
  read.Print("  of which reading the file");
  condition.Print("  of which conditioning");
  std::printf("  the rest is drawing the views; reading runs at %.0f MB/s (%.0f MB/s of cpu)\n",
              bytes / 1e3 / Median(read.wall), bytes / 1e3 / Median(read.cpu));
  PlatformHooks() = {};
  return window.DataSets()[0].active ? 0 : 1;
}
