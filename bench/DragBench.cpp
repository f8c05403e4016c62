// Mouse drags on the 3D panel of the window over a dense 501 x 501 grid at draw pitches 1, 2,
// 5 and 50 (nearly no mesh: what the window costs around a frame): the time of each drag step (a
// move that changes the turn, with its paint and the window's composition), the pitch the drag
// draws, and the exact frame at the release. Needs an X display.
#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "app/Main.h"
#include "bench/BenchClock.h"
#include "data/Message.h"
#include "view3d/Surface3DWidget.h"

namespace {

using namespace orvelle;
using orvelle::bench::CpuMs;
using orvelle::bench::Median;
using orvelle::bench::NowMs;

void Settle(int ms) {
  const double end = NowMs() + ms;
  while (NowMs() < end) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons held) {
  QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  SetMessageHandler([](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
  QTemporaryDir dir;
  TForm1 window(dir.path() + '/');
  window.show();
  Settle(200);
  Surface3DWidget* panel = window.SurfacePanel();
  if (panel == nullptr) {
    std::fprintf(stderr, "no OpenGL panel (run under an X server with OpenGL)\n");
    return 1;
  }
  GridDataSet& d = window.DataSets()[0];
  d.active = 1;
  d.name = "Dense";
  d.size = d.maxX = d.maxY = 500;
  d.pitchX = d.pitchY = 1;
  for (int x = 0; x <= 500; ++x) {
    for (int y = 0; y <= 500; ++y) {
      const double r = std::hypot(x - 250.0, y - 250.0);
      d.values[x][y] = 100.0 + 0.05 * x + 30.0 * std::exp(-(r - 60) * (r - 60) / 800.0);
    }
  }
  ComputeStatistics(d);
  window.FillTypeList(window.findChild<QComboBox*>("Cmb_DataType"), window.DataSets(), 1);
  window.SelectDataType(0);
  window.RefreshViews();
  auto* pitchBar = window.findChild<QSlider*>("Tkb_3D_DrawPitch");

  std::printf("drag steps on the window's 3D panel, 501 x 501 grid (medians and maxima, ms):\n");
  for (const int pitch : {1, 2, 5, 50}) {
    pitchBar->setValue(pitch);
    Settle(150);
    for (int drag = 0; drag < 2; ++drag) {  // the first drag learns what frames cost
      std::vector<double> wall, cpu;
      panel->TurnBar()->setValue(-1000);
      Settle(100);
      SendMouse(panel, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
      for (int step = 1; step <= 40; ++step) {
        const QPoint at(100 + 3 * step, 100);
        const double w0 = NowMs(), c0 = CpuMs();
        SendMouse(panel, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        // The panel's paint may wait for the event loop, as between two real mouse moves.
        QApplication::processEvents();
        wall.push_back(NowMs() - w0);
        cpu.push_back(CpuMs() - c0);
      }
      const int dragPitch = panel->ShowsCoarseFrame() ? panel->InteractivePitch() : pitch;
      const double w0 = NowMs(), c0 = CpuMs();
      SendMouse(panel, QEvent::MouseButtonRelease, {220, 100}, Qt::LeftButton, Qt::NoButton);
      QApplication::processEvents();
      const double releaseWall = NowMs() - w0, releaseCpu = CpuMs() - c0;
      if (drag == 1) {
        std::printf(
            "pitch %d: drag drawn at pitch %d, step %.2f (cpu %.2f), slowest step %.2f; exact "
            "frame at the release %.2f (cpu %.2f)\n",
            pitch, dragPitch, Median(wall), Median(cpu),
            *std::max_element(wall.begin(), wall.end()), releaseWall, releaseCpu);
      }
      Settle(150);
    }
  }
  return 0;
}
