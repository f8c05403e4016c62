#include "dialogs/Colorsetting.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSlider>
#include <algorithm>
#include <charconv>
#include <cmath>

#include "views2d/ColorPalette.h"

namespace orvelle {
namespace {

// The labels are designed for the Windows proportional Gothic font; IPAPGothic is its
// counterpart on Linux.
const QString kGothicName = QString::fromUtf8(
    "\xEF\xBC\xAD\xEF\xBC\xB3 \xEF\xBC\xB0\xE3\x82\xB4"
    "\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF");

void InstallFontSubstitutes() {
  static const bool installed = [] {
    QFont::insertSubstitution(kGothicName, QStringLiteral("IPAPGothic"));
    // A Windows without the Japanese supplemental fonts has these Gothic faces.
    QFont::insertSubstitutions(kGothicName,
                               {QStringLiteral("Yu Gothic UI"), QStringLiteral("Meiryo UI")});
    QFont::insertSubstitution(QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"));
    return true;
  }();
  (void)installed;
}

QFont PixelFont(const QString& family, int pixels, bool bold = false) {
  QFont font(family);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, const QRect& place,
                 const QFont& font) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->setFont(font);
  label->setGeometry(place);
  return label;
}

QPushButton* AddButton(QDialog* parent, const char* name, const QString& text, int x, int y) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(x, y, 57, 25);
  return button;
}

}  // namespace

int TrackMinimum(TrackScale scale) { return scale == TrackScale::kDegrees ? -999 : 0; }
int TrackMaximum(TrackScale scale) { return scale == TrackScale::kDegrees ? 999 : 10; }

int PositionFromValue(TrackScale scale, float v) {
  if (std::isnan(v)) return 0;
  const double lo = TrackMinimum(scale);
  const double hi = TrackMaximum(scale);
  // Clamping before the conversion keeps huge values from overflowing the integer.
  double p = scale == TrackScale::kDegrees ? static_cast<double>(v) : static_cast<double>(v) * 10.0;
  p = std::clamp(p, lo, hi);
  return static_cast<int>(scale == TrackScale::kDegrees ? std::trunc(p) : std::nearbyint(p));
}

float ValueFromPosition(TrackScale scale, int position) {
  position = std::clamp(position, TrackMinimum(scale), TrackMaximum(scale));
  if (scale == TrackScale::kDegrees) return static_cast<float>(position);
  return static_cast<float>(position * 0.1);
}

std::string ValueLabel(TrackScale scale, float v) {
  if (scale == TrackScale::kDegrees) return std::to_string(static_cast<int>(v));
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, 1);
  return std::string(text, result.ptr);
}

TrackPositions PalettePositions(const PaletteParams& p) {
  TrackPositions positions{};
  for (size_t i = 0; i < kPaletteTracks.size(); ++i) {
    positions[i] = PositionFromValue(kPaletteTracks[i].scale, p.*kPaletteTracks[i].field);
  }
  return positions;
}

PaletteParams PaletteFromPositions(const TrackPositions& positions) {
  PaletteParams p;
  for (size_t i = 0; i < kPaletteTracks.size(); ++i) {
    p.*kPaletteTracks[i].field = ValueFromPosition(kPaletteTracks[i].scale, positions[i]);
  }
  return p;
}

QImage PalettePreview(const PaletteParams& p, int width, int height) {
  if (width <= 0 || height <= 0) return QImage();
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    const float position = static_cast<float>(height - y) / static_cast<float>(height);
    const ColorRef c = HsvColor(p, position);
    const QRgb rgb = qRgb(RedOf(c), GreenOf(c), BlueOf(c));
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) line[x] = rgb;
  }
  return image;
}

TColorSet::TColorSet(QWidget* parent) : QDialog(parent) {
  InstallFontSubstitutes();
  setObjectName(QStringLiteral("ColorSet"));
  setWindowTitle(QStringLiteral("Color Setting"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(291, 251);
  setFont(PixelFont(QStringLiteral("Arial"), 12));
  setModal(true);

  auto* bevel1 = new QFrame(this);
  bevel1->setObjectName(QStringLiteral("Bevel1"));
  bevel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  bevel1->setGeometry(13, 5, 31, 238);
  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(15, 7, 27, 234);
  Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  const QFont captionFont = PixelFont(kGothicName, 12);
  const QFont valueFont = PixelFont(kGothicName, 13, true);
  const char* const groups[3] = {"Angle", "Sharp", "Volume"};
  const int groupTop[3] = {6, 76, 144};
  const int rowTop[6] = {24, 44, 92, 112, 160, 180};
  const int barTop[6] = {25, 45, 91, 111, 159, 179};
  int labelNumber = 1;
  for (int g = 0; g < 3; ++g) {
    const auto caption = [&](const QString& text, const QRect& place) {
      const std::string name = "Label" + std::to_string(labelNumber++);
      AddLabel(this, name.c_str(), text, place, captionFont);
    };
    caption(QLatin1String(groups[g]), QRect(56, groupTop[g], 60, 16));
    caption(QStringLiteral("Start:"), QRect(64, rowTop[2 * g], 52, 16));
    caption(QStringLiteral("Range:"), QRect(64, rowTop[2 * g + 1], 52, 16));
  }
  for (size_t i = 0; i < kPaletteTracks.size(); ++i) {
    const PaletteTrack& track = kPaletteTracks[i];
    valueLabels[i] =
        AddLabel(this, track.labelName, QString(), QRect(120, rowTop[i], 51, 16), valueFont);
    valueLabels[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* bar = new QSlider(Qt::Horizontal, this);
    bar->setObjectName(QLatin1String(track.trackBarName));
    bar->setGeometry(176, barTop[i], 105, 13);
    bar->setRange(TrackMinimum(track.scale), TrackMaximum(track.scale));
    bar->setSingleStep(1);
    bar->setPageStep(track.scale == TrackScale::kDegrees ? 10 : 1);
    bar->setTickPosition(QSlider::NoTicks);
    connect(bar, &QSlider::valueChanged, this, [this] { TrackBarChange(); });
    trackBars[i] = bar;
  }

  auto* bevel3 = new QFrame(this);
  bevel3->setObjectName(QStringLiteral("Bevel3"));
  bevel3->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  bevel3->setGeometry(55, 208, 225, 2);

  connect(AddButton(this, "Btn_OK", QStringLiteral("OK"), 56, 216), &QPushButton::clicked, this,
          [this] { Btn_OKClick(); });
  connect(AddButton(this, "Btn_Default", QStringLiteral("Default"), 120, 216),
          &QPushButton::clicked, this, [this] { Btn_DefaultClick(); });
  connect(AddButton(this, "Btn_Cancel", QStringLiteral("Cancel"), 224, 216), &QPushButton::clicked,
          this, [this] { Btn_CancelClick(); });

  LoadControls();
}

bool TColorSet::ShowColorSet(PaletteParams* params) {
  if (params == nullptr) return false;
  targetParams = params;
  workingParams = *params;
  LoadControls();
  if (firstShow) {
    defaultParams = *params;
    firstShow = false;
  }
  // A stale true from an earlier OK must not survive a showing that ends without one.
  dialogResult = false;
  if (const QScreen* screen = this->screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  exec();
  targetParams = nullptr;
  return dialogResult;
}

void TColorSet::SetQuestionHandler(QuestionHandler handler) { question = std::move(handler); }

void TColorSet::FormShow() { PaintPreview(); }

void TColorSet::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TColorSet::LoadControls() {
  updatingControls = true;
  const TrackPositions positions = PalettePositions(workingParams);
  for (size_t i = 0; i < trackBars.size(); ++i) trackBars[i]->setValue(positions[i]);
  updatingControls = false;
  TrackBarChange();
}

TrackPositions TColorSet::CurrentPositions() const {
  TrackPositions positions{};
  for (size_t i = 0; i < trackBars.size(); ++i) positions[i] = trackBars[i]->value();
  return positions;
}

void TColorSet::TrackBarChange() {
  if (updatingControls) return;
  workingParams = PaletteFromPositions(CurrentPositions());
  for (size_t i = 0; i < kPaletteTracks.size(); ++i) {
    const PaletteTrack& track = kPaletteTracks[i];
    valueLabels[i]->setText(
        QString::fromStdString(ValueLabel(track.scale, workingParams.*track.field)));
  }
  PaintPreview();
}

void TColorSet::PaintPreview() {
  Image1->setPixmap(
      QPixmap::fromImage(PalettePreview(workingParams, Image1->width(), Image1->height())));
}

void TColorSet::Btn_OKClick() {
  workingParams = PaletteFromPositions(CurrentPositions());
  if (targetParams != nullptr) *targetParams = workingParams;
  dialogResult = true;
  accept();
}

void TColorSet::Btn_CancelClick() { reject(); }

void TColorSet::reject() {
  dialogResult = false;
  QDialog::reject();
}

void TColorSet::Btn_DefaultClick() {
  if (!Ask(QString(), QStringLiteral("Reset setting to default.Are you sure?"))) return;
  workingParams = defaultParams;
  LoadControls();
}

bool TColorSet::Ask(const QString& caption, const QString& text) {
  if (question) return question(caption, text);
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                  this);
  return box.exec() == QMessageBox::Ok;
}

}  // namespace orvelle
