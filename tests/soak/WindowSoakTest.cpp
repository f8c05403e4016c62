// A long random session on the real window: pointer presses and drags with Shift and Ctrl on the
// colour map, the line graph and the 3D panel, keypad entries on the numeric labels (in range, out
// of range, garbage, cancelled), combo boxes, check boxes, track bars, colour swatches, the colour
// setting dialog, the copy buttons and menu items, files opened from a pool of good, cut and
// broken files and random pasted text. After every action the window must still agree with itself:
// the record holds what the controls show, no read-out shows the no-data value as a number, and
// the ROI labels say what a fresh measurement says.
//
// ORVELLE_SOAK_ACTIONS (default 2000) and ORVELLE_SOAK_SEED (default: from the clock) repeat a
// session; the seed is printed first and with every failure.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/Keypad.h"
#include "app/Main.h"
#include "data/SettingsFile.h"
#include "dialogs/Colorsetting.h"
#include "dialogs/TenkeyLogic.h"
#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "support/TestSupport.h"
#include "view3d/SurfaceRenderer.h"
#include "views2d/ColorPalette.h"
#include "views2d/Roi.h"

namespace orvelle::test {
namespace {

long EnvNumber(const char* name, long fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? std::strtol(text, nullptr, 10) : fallback;
}

// Files a user might open: the examples, the examples cut at random places, broken headers and
// the fuzz corpus of the file reader.
std::vector<std::string> FilePool(const TempDir& dir, std::mt19937& rng) {
  namespace fs = std::filesystem;
  std::vector<std::string> pool;
  const fs::path examples(ORVELLE_EXAMPLES_DIR);
  for (const auto& entry : fs::directory_iterator(examples)) {
    if (entry.path().extension() != ".thk") continue;
    pool.push_back(entry.path().string());
    const std::string text = ReadFile(entry.path().string());
    for (int k = 0; k < 3; ++k) {
      const size_t cut = std::uniform_int_distribution<size_t>(0, text.size())(rng);
      pool.push_back(dir.Write("cut" + std::to_string(pool.size()) + ".thk", text.substr(0, cut)));
    }
  }
  for (const char* broken :
       {"", "500,\n", "500,\n10,10,\n", "0,\n10,10,\n1,A,\n0,0,1,\n", "500,\n0,10,\n1,A,\n",
        "500,\n10,10,\n9,A,B,C,D,E,F,G,H,I,\n0,0,1,2,3,4,5,6,7,8,9,\n",
        "20,\n5,5,\n1,A,\n0,0,1e308,\n5,0,-1e308,\n0,5,1,\n5,5,2,\n"}) {
    pool.push_back(dir.Write("broken" + std::to_string(pool.size()) + ".thk", broken));
  }
  pool.push_back(dir.File("missing.thk"));
  pool.push_back(dir.Path());
  const fs::path corpus = fs::path(ORVELLE_FUZZ_CORPUS_DIR) / "thkfile";
  if (fs::is_directory(corpus)) {
    std::vector<std::string> entries;
    for (const auto& entry : fs::directory_iterator(corpus)) {
      // The file target's first byte is its piece size, the rest is the file.
      const std::string text = ReadFile(entry.path().string());
      entries.push_back(text.empty() ? text : text.substr(1));
    }
    std::shuffle(entries.begin(), entries.end(), rng);
    for (size_t i = 0; i < entries.size() && i < 40; ++i) {
      pool.push_back(dir.Write("corpus" + std::to_string(i) + ".thk", entries[i]));
    }
  }
  return pool;
}

std::vector<QString> PastePool(std::mt19937& rng) {
  namespace fs = std::filesystem;
  const std::string example =
      ReadFile(std::string(ORVELLE_EXAMPLES_DIR) + "/volcano_spline_clipboard.txt");
  std::vector<QString> pool = {QString::fromStdString(example), QString(), "THK_DATA",
                               "THK_DATA\r\n5\r\n"};
  for (int k = 0; k < 3; ++k) {
    const size_t cut = std::uniform_int_distribution<size_t>(0, example.size())(rng);
    pool.push_back(QString::fromStdString(example.substr(0, cut)));
  }
  const fs::path corpus = fs::path(ORVELLE_FUZZ_CORPUS_DIR) / "thktext";
  if (fs::is_directory(corpus)) {
    std::vector<QString> entries;
    for (const auto& entry : fs::directory_iterator(corpus)) {
      entries.push_back(QString::fromLatin1(ReadFile(entry.path().string())));
    }
    std::shuffle(entries.begin(), entries.end(), rng);
    entries.resize(std::min<size_t>(entries.size(), 40));
    pool.insert(pool.end(), entries.begin(), entries.end());
  }
  return pool;
}

class WindowSoak : public ::testing::Test {
 protected:
  void SetUp() override {
    seed_ = static_cast<unsigned>(
        EnvNumber("ORVELLE_SOAK_SEED",
                  static_cast<long>(std::chrono::steady_clock::now().time_since_epoch().count() %
                                    1000000007)));
    actions_ = EnvNumber("ORVELLE_SOAK_ACTIONS", 2000);
    std::fprintf(stderr, "window soak: seed %u, %ld actions (ORVELLE_SOAK_SEED=%u repeats it)\n",
                 seed_, actions_, seed_);
    rng_.seed(seed_);
    ResetRenderer();
    ResetPaletteState();

    DialogHooks& hooks = PlatformHooks();
    hooks = {};
    hooks.openFile = [this](const FileDialogSpec&) -> std::optional<QString> {
      if (Chance(10)) return std::nullopt;
      // Good files often enough that most of the session has data to work on.
      return QString::fromStdString(Chance(50) ? Pick(goodFiles_) : Pick(files_));
    };
    hooks.saveFile = [this](const FileDialogSpec&) -> std::optional<QString> {
      switch (Below(4)) {
        case 0:
          return std::nullopt;
        case 1:
          return QString("/sys/roi.csv");
        default:
          return QString::fromStdString(dir_.File("roi.csv"));
      }
    };
    hooks.chooseColor = [this](ColorRef) -> std::optional<ColorRef> {
      if (Chance(30)) return std::nullopt;
      return static_cast<ColorRef>(rng_() & 0xFFFFFF);
    };
    hooks.messageBox = [](const QString&, const QString&) {};
    hooks.question = [this](const QString&, const QString&, QuestionButtons) { return Chance(50); };
    hooks.clipboardText = [this] { return pasteText_; };
    hooks.setClipboardText = [](const QString&) {};
    hooks.clipboardImage = [] { return QImage(); };
    hooks.setClipboardImage = [](const QImage&) {};
    SetKeypadHook([this](const ParamLimits& limits, const QString& start) {
      return TypeOnKeypad(limits, start);
    });

    files_ = FilePool(dir_, rng_);
    for (const std::string& f : files_) {
      if (f.rfind(ORVELLE_EXAMPLES_DIR, 0) == 0) goodFiles_.push_back(f);
    }
    pastes_ = PastePool(rng_);
    window_ = std::make_unique<TForm1>(QString::fromStdString(dir_.Path()) + '/');
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    for (QWidget* w : window_->findChildren<QWidget*>()) {
      if (auto* label = qobject_cast<TagLabel*>(w)) labels_.push_back(label);
      if (auto* shape = qobject_cast<ColorShape*>(w)) shapes_.push_back(shape);
      if (auto* box = qobject_cast<QComboBox*>(w)) combos_.push_back(box);
      if (auto* box = qobject_cast<QCheckBox*>(w)) checks_.push_back(box);
      if (auto* bar = qobject_cast<QSlider*>(w)) sliders_.push_back(bar);
      if (auto* radio = qobject_cast<QRadioButton*>(w)) radios_.push_back(radio);
    }
  }

  void TearDown() override {
    window_.reset();
    PlatformHooks() = {};
    SetKeypadHook({});
  }

  unsigned Below(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(rng_); }
  bool Chance(int percent) { return static_cast<int>(Below(100)) < percent; }
  template <class T>
  const T& Pick(const std::vector<T>& items) {
    return items[Below(static_cast<unsigned>(items.size()))];
  }

  // The keypad as a user drives it: keys typed one by one, then ENT. A refused entry is
  // cancelled, as the user would after reading the keypad's message.
  std::optional<QString> TypeOnKeypad(const ParamLimits& limits, const QString& start) {
    TenkeyLogic keypad;
    keypad.SetUp(limits.kind, limits.min, limits.max, limits.maxDigits, limits.decimals, start);
    QString entry;
    switch (Below(4)) {
      case 0: {  // in range
        const double v = std::uniform_real_distribution<double>(limits.min, limits.max)(rng_);
        entry = QString::number(v, 'f', limits.kind == 0 ? 0 : limits.decimals);
        break;
      }
      case 1:  // out of range
        entry = QString::number(Chance(50) ? limits.max + 1 + Below(1000)
                                           : limits.min - 1 - Below(1000));
        break;
      case 2: {  // garbage
        const char keys[] = "0123456789.-";
        for (unsigned n = Below(8); n > 0; --n) entry += QChar(keys[Below(sizeof keys - 1)]);
        break;
      }
      default:
        return std::nullopt;
    }
    for (QChar c : entry) {
      if (c.isDigit()) {
        keypad.NumberClick(QString(c));
      } else if (c == '.') {
        keypad.DotClick();
      } else if (c == '-') {
        keypad.MinusClick();
      }
    }
    const EnterResult result = keypad.EnterClick();
    if (!result.accepted) return std::nullopt;
    return keypad.Entry();
  }

  QPoint Anywhere(const QWidget* w) {
    return QPoint(static_cast<int>(Below(static_cast<unsigned>(w->width() + 20))) - 10,
                  static_cast<int>(Below(static_cast<unsigned>(w->height() + 20))) - 10);
  }
  Qt::KeyboardModifiers Modifiers() {
    switch (Below(4)) {
      case 0:
        return Qt::ShiftModifier;
      case 1:
        return Qt::ControlModifier;
      default:
        return Qt::NoModifier;
    }
  }

  // A press, a few moves and a release on `w`, with buttons and modifiers chosen at random.
  std::string Drag(QWidget* w) {
    const Qt::MouseButton button = Chance(85) ? Qt::LeftButton : Qt::RightButton;
    const Qt::KeyboardModifiers mods = Modifiers();
    QPoint at = Anywhere(w);
    std::string what =
        "drag on " + w->objectName().toStdString() + " from " + std::to_string(at.x()) + "," +
        std::to_string(at.y()) + (mods & Qt::ShiftModifier ? " shift" : "") +
        (mods & Qt::ControlModifier ? " ctrl" : "") + (button == Qt::RightButton ? " right" : "");
    QTest::mousePress(w, button, mods, at);
    for (unsigned n = Below(4); n > 0; --n) {
      at = Anywhere(w);
      QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, button, mods);
      QApplication::sendEvent(w, &move);
    }
    QTest::mouseRelease(w, button, mods, at);
    window_->Pmn_Menu->hide();
    return what;
  }

  // The colour setting dialog: a track bar or two moved, then OK or Cancel.
  std::string ColourSettingDialog() {
    const bool ok = Chance(50);
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<TColorSet*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      answer.stop();
      const auto bars = dialog->findChildren<QSlider*>();
      for (unsigned n = bars.isEmpty() ? 0 : Below(3); n > 0; --n) {
        QSlider* bar = bars[static_cast<int>(Below(static_cast<unsigned>(bars.size())))];
        bar->setValue(bar->minimum() + static_cast<int>(Below(static_cast<unsigned>(
                                           bar->maximum() - bar->minimum() + 1))));
      }
      if (ok) {
        dialog->Btn_OKClick();
      } else {
        dialog->Btn_CancelClick();
      }
    });
    answer.start();
    QTest::mouseDClick(window_->Img_ColorBar1, Qt::LeftButton, Qt::NoModifier,
                       QPoint(window_->Img_ColorBar1->width() / 2, 5));
    answer.stop();
    return std::string("colour setting dialog, ") + (ok ? "OK" : "Cancel");
  }

  std::string Act() {
    TForm1& w = *window_;
    switch (Below(20)) {
      case 0:
      case 1:
      case 2:
        return Drag(w.Img_ColorMap);
      case 3:
      case 4:
        return Drag(w.Img_LG);
      case 5:
        return Drag(w.Pnl_3D);
      case 6:
      case 7: {
        TagLabel* label = Pick(labels_);
        QTest::mouseDClick(label, Qt::LeftButton);
        return "double click on " + label->objectName().toStdString();
      }
      case 8: {
        QComboBox* box = Pick(combos_);
        QTest::keyClick(box, Chance(50) ? Qt::Key_Down : Qt::Key_Up);
        return "key on " + box->objectName().toStdString();
      }
      case 9:
      case 10: {
        QCheckBox* box = Pick(checks_);
        box->click();
        return "click on " + box->objectName().toStdString();
      }
      case 11: {
        QSlider* bar = Pick(sliders_);
        bar->setValue(bar->minimum() + static_cast<int>(Below(static_cast<unsigned>(
                                           bar->maximum() - bar->minimum() + 1))));
        return "track bar " + bar->objectName().toStdString();
      }
      case 12: {
        ColorShape* shape = Pick(shapes_);
        QTest::mouseClick(shape, Qt::LeftButton, Modifiers(), Anywhere(shape));
        return "click on " + shape->objectName().toStdString();
      }
      case 13: {
        QRadioButton* radio = Pick(radios_);
        radio->click();
        return "radio " + radio->text().toStdString();
      }
      case 14: {
        QPushButton* buttons[] = {w.Btn_Copy_Colormap, w.Btn_Copy_Contour, w.Btn_Copy_LineGraph,
                                  w.Btn_Copy_3D,       w.Btn_Fill,         w.Btn_RangeReset};
        QPushButton* b = buttons[Below(6)];
        b->click();
        return "button " + b->objectName().toStdString();
      }
      case 15: {
        QAction* actions[] = {w.Pmn_CopyImage, w.Pmn_CopyROI, w.Pmn_SaveROI, w.Pmn_RangeReset};
        QAction* a = actions[Below(4)];
        a->trigger();
        return "menu " + a->objectName().toStdString();
      }
      case 16:
        return ColourSettingDialog();
      case 17:
        w.Btn_Open->click();
        return "open";
      case 18: {
        pasteText_ = Chance(40) ? pastes_[0] : Pick(pastes_);
        if (Chance(20)) {
          pasteText_.clear();
          for (unsigned n = Below(200); n > 0; --n) pasteText_ += QChar(char(32 + Below(95)));
        }
        w.Btn_Paste->click();
        return "paste of " + std::to_string(pasteText_.size()) + " characters";
      }
      default:
        QTest::qWait(static_cast<int>(Below(60)));
        return "wait";
    }
  }

  // What the window shows must follow from its record and its data.
  void CheckInvariants(const std::string& where) {
    TForm1& w = *window_;
    // The spline switch is read only when the pipeline next runs, by design; every other stored
    // setting reaches the record in the handler of its control.
    ViewerParams before = w.Params();
    w.GetParam();
    before.splineEnable = w.Params().splineEnable;
    ASSERT_EQ(FormatSettings(before), FormatSettings(w.Params()))
        << where << ": the record did not hold what the controls show";

    GridDataSet& shown = w.DataSets()[w.SelectedType()];
    const double divisor = shown.normDivisor != 0.0 ? shown.normDivisor : 1.0;
    for (const char* name :
         {"Lbl_Max", "Lbl_Mid", "Lbl_Min", "Lbl_Mean", "Lbl_Info_Data", "Lbl_ROI_Min_1",
          "Lbl_ROI_Max_1", "Lbl_ROI_Mean_1", "Lbl_ROI_Min_2", "Lbl_ROI_Max_2", "Lbl_ROI_Mean_2",
          "Lbl_Cont_Range1", "Lbl_Cont_Range5"}) {
      auto* label = w.findChild<QLabel*>(name);
      if (label == nullptr || !label->isVisibleTo(&w)) continue;
      bool number = false;
      const double v = label->text().trimmed().toDouble(&number);
      if (!number) continue;
      ASSERT_FALSE(std::fabs(v - kNoData) < 0.5 || std::fabs(v - kNoData / divisor) < 0.5)
          << where << ": " << name << " shows the no-data value as " << label->text().toStdString();
    }

    if (!shown.active) return;
    ++withData_;
    const TagLabel* texts[2][3] = {{w.Lbl_ROI_Min_1, w.Lbl_ROI_Max_1, w.Lbl_ROI_Mean_1},
                                   {w.Lbl_ROI_Min_2, w.Lbl_ROI_Max_2, w.Lbl_ROI_Mean_2}};
    for (int roi = 0; roi < kRoiCount; ++roi) {
      if (!w.Params().roiShown[roi] || !texts[roi][0]->isVisibleTo(&w)) continue;
      const RoiPlacement fresh = PlaceRoi(w.Params(), roi, shown, w.Img_ColorMap->width(),
                                          w.Img_ColorMap->height(), DefaultRoiLabelSize);
      if (!fresh.updated) continue;
      ++roiChecks_;
      ASSERT_EQ(texts[roi][0]->text().toStdString(), fresh.minText) << where << ", ROI " << roi;
      ASSERT_EQ(texts[roi][1]->text().toStdString(), fresh.maxText) << where << ", ROI " << roi;
      ASSERT_EQ(texts[roi][2]->text().toStdString(), fresh.meanText) << where << ", ROI " << roi;
    }
  }

  unsigned seed_ = 0;
  long actions_ = 0;
  long withData_ = 0;   // actions after which a data type was shown
  long roiChecks_ = 0;  // ROI label sets compared with a fresh measurement
  std::mt19937 rng_;
  TempDir dir_;
  MessageRecorder messages_;
  std::unique_ptr<TForm1> window_;
  std::vector<std::string> files_;
  std::vector<std::string> goodFiles_;
  std::vector<QString> pastes_;
  QString pasteText_;
  std::vector<TagLabel*> labels_;
  std::vector<ColorShape*> shapes_;
  std::vector<QComboBox*> combos_;
  std::vector<QCheckBox*> checks_;
  std::vector<QSlider*> sliders_;
  std::vector<QRadioButton*> radios_;
};

TEST_F(WindowSoak, RandomActionsKeepTheWindowConsistent) {
  std::vector<std::string> recent;
  for (long i = 0; i < actions_; ++i) {
    const std::string what = Act();
    QCoreApplication::processEvents();
    recent.push_back(what);
    if (recent.size() > 5) recent.erase(recent.begin());
    std::string where = "seed " + std::to_string(seed_) + ", action " + std::to_string(i) + " (";
    for (const std::string& r : recent) where += r + "; ";
    where += ")";
    CheckInvariants(where);
    if (HasFatalFailure()) return;
    if ((i + 1) % 10000 == 0) std::fprintf(stderr, "window soak: %ld actions done\n", i + 1);
  }
  std::fprintf(stderr,
               "window soak: %ld actions done, seed %u; %ld with data shown, %ld ROI label checks, "
               "%zu messages\n",
               actions_, seed_, withData_, roiChecks_, messages_.Messages().size());
  // A session that never had data, or never compared an ROI, has checked nothing worth a pass.
  EXPECT_GT(withData_, 0) << "seed " << seed_ << ": no data was ever shown";
  EXPECT_GT(roiChecks_, 0) << "seed " << seed_ << ": the ROI labels were never checked";
}

}  // namespace
}  // namespace orvelle::test
