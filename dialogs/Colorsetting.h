// The "Color Setting" dialog: six track bars edit the hue/saturation/value ramp of the colour
// map while a bar beside them previews it. The scaling between track bar positions and palette
// values is plain code so that it can be checked without a window.
#pragma once

#include <QDialog>
#include <QImage>
#include <array>
#include <functional>
#include <string>

#include "data/ColorTypes.h"

class QLabel;
class QShowEvent;
class QSlider;

namespace orvelle {

// A track bar stands either for whole degrees (-999..999) or for tenths (0..10 gives 0.0..1.0).
enum class TrackScale { kDegrees, kTenths };

struct PaletteTrack {
  const char* trackBarName;
  const char* labelName;
  float PaletteParams::*field;
  TrackScale scale;
};

// The six track bars in the order the dialog reads them back.
inline constexpr std::array<PaletteTrack, 6> kPaletteTracks{{
    {"Tkb_Angle_Start", "Lbl_Angle_Start", &PaletteParams::angleStart, TrackScale::kDegrees},
    {"Tkb_Angle_Range", "Lbl_Angle_Range", &PaletteParams::angleRange, TrackScale::kDegrees},
    {"Tkb_Sharp_Start", "Lbl_Sharp_Start", &PaletteParams::sharpStart, TrackScale::kTenths},
    {"Tkb_Sharp_Range", "Lbl_Sharp_Range", &PaletteParams::sharpRange, TrackScale::kTenths},
    {"Tkb_Volume_Start", "Lbl_Volume_Start", &PaletteParams::volumeStart, TrackScale::kTenths},
    {"Tkb_Volume_Range", "Lbl_Volume_Range", &PaletteParams::volumeRange, TrackScale::kTenths},
}};

using TrackPositions = std::array<int, 6>;

// The range of a track bar of this scale: -999..999 or 0..10.
int TrackMinimum(TrackScale scale);
int TrackMaximum(TrackScale scale);

// The position a track bar takes to show v: degrees truncated toward zero, tenths as v * 10
// rounded to the nearest integer (ties to even); clamped to the bar's range; NaN gives 0.
int PositionFromValue(TrackScale scale, float v);

// The single-precision value a position stands for: p degrees, or p * 0.1. Clamps p first.
float ValueFromPosition(TrackScale scale, int position);

// The value label's text: whole degrees ("-20") or fixed with one decimal ("0.8"), always with
// '.' whatever the locale.
std::string ValueLabel(TrackScale scale, float v);

// All six positions for p, and the palette six positions stand for. Together they bring any
// palette onto the grid the dialog can show and return.
TrackPositions PalettePositions(const PaletteParams& p);
PaletteParams PaletteFromPositions(const TrackPositions& positions);

// A width x height colour bar of p in colour mode (row y at position (height - y) / height, top
// row 1.0), computed with HsvColor without installing p in the palette. Null when either side is
// not positive.
QImage PalettePreview(const PaletteParams& p, int width, int height);

// Asks a question with the given caption and text; true when the user answers OK.
using QuestionHandler = std::function<bool(const QString& caption, const QString& text)>;

class TColorSet : public QDialog {
  Q_OBJECT

 public:
  explicit TColorSet(QWidget* parent = nullptr);

  // Edits *params modally. True after OK, with *params overwritten by what the track bars show;
  // false after Cancel, Escape or closing the window, with *params untouched. A null pointer
  // returns false without opening the dialog. The first call fixes what "Default" returns to.
  bool ShowColorSet(PaletteParams* params);

  // Replaces the confirmation of "Default" (tests answer it without a human); an empty handler
  // restores the OK/Cancel message box.
  void SetQuestionHandler(QuestionHandler handler);

  void FormShow();
  // Shared by the six track bars: takes their positions into the working palette, writes the
  // value labels and repaints the preview. Ignored while the dialog positions the bars itself.
  void TrackBarChange();
  void Btn_OKClick();
  void Btn_CancelClick();
  void Btn_DefaultClick();

  // Escape and the window's close button act like Cancel.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void LoadControls();
  void PaintPreview();
  TrackPositions CurrentPositions() const;
  bool Ask(const QString& caption, const QString& text);

  QLabel* Image1 = nullptr;
  std::array<QSlider*, 6> trackBars{};
  std::array<QLabel*, 6> valueLabels{};

  PaletteParams* targetParams = nullptr;
  PaletteParams workingParams;
  PaletteParams defaultParams;
  bool firstShow = true;
  bool updatingControls = false;
  bool dialogResult = false;
  QuestionHandler question;
};

}  // namespace orvelle
