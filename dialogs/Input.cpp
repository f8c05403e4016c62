#include "dialogs/Input.h"

#include <QCloseEvent>
#include <QFont>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace orvelle {

namespace {

const QString kJapaneseGothic = QStringLiteral("ＭＳ Ｐゴシック");
const QString kApplicationTitle = QStringLiteral("Orvelle");

// Geometry of the designed form, in pixels of the client area.
constexpr int kNarrowWidth = 217;
constexpr int kNarrowEditWidth = 193;
constexpr int kWideWidth = 618;
constexpr int kWideEditWidth = 593;
constexpr int kMargin = 12;
constexpr int kPadTop = 124;
constexpr int kPadKeyWidth = 46;
constexpr int kPadKeyHeight = 32;
constexpr int kPadStepX = 49;
constexpr int kPadStepY = 35;
constexpr int kHeight = kPadTop + 4 * kPadStepY + 7;
constexpr int kHexHeight = kHeight + 2 * kPadStepY;
constexpr int kKeyWidth = 27;
constexpr int kKeyHeight = 30;
constexpr int kKeyStepX = 29;
constexpr int kKeyStepY = 32;

const QColor kIndicatorOn(0xFF, 0x00, 0x00);  // ColorRef 0x0000FF
const QColor kIndicatorOff(0xFF, 0xFF, 0xFF);

void SetIndicator(QLabel* shape, bool on) {
  QPalette palette = shape->palette();
  palette.setColor(QPalette::Window, on ? kIndicatorOn : kIndicatorOff);
  palette.setColor(QPalette::WindowText, Qt::black);
  shape->setPalette(palette);
}

}  // namespace

void TTenkey::InstallJapaneseFontSubstitution() {
  static const bool installed = [] {
    QFont::insertSubstitution(kJapaneseGothic, QStringLiteral("IPAPGothic"));
    // A Windows without the Japanese supplemental fonts has these Gothic faces.
    QFont::insertSubstitutions(kJapaneseGothic,
                               {QStringLiteral("Yu Gothic UI"), QStringLiteral("Meiryo UI")});
    QFont::insertSubstitution(QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"));
    return true;
  }();
  (void)installed;
}

TTenkey::TTenkey(QWidget* parent) : QDialog(parent) {
  InstallJapaneseFontSubstitution();
  setObjectName(QStringLiteral("Tenkey"));
  setWindowTitle(QStringLiteral("Data Input"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  QFont formFont(QStringLiteral("Arial"));
  formFont.setPixelSize(12);
  setFont(formFont);

  MaskEdit1 = new QLineEdit(this);
  MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
  MaskEdit1->setGeometry(kMargin, 10, kNarrowEditWidth, 26);
  MaskEdit1->setReadOnly(true);
  MaskEdit1->setEnabled(false);
  MaskEdit1->setFocusPolicy(Qt::NoFocus);
  QFont editFont(formFont);
  editFont.setPixelSize(16);
  editFont.setBold(true);
  MaskEdit1->setFont(editFont);
  // A disabled edit would grey the entry out; the entry must stay readable.
  QPalette editPalette = MaskEdit1->palette();
  editPalette.setColor(QPalette::Disabled, QPalette::Text, Qt::black);
  editPalette.setColor(QPalette::Disabled, QPalette::Base, Qt::white);
  MaskEdit1->setPalette(editPalette);
  MaskEdit1->installEventFilter(this);

  auto* digitCaption = new QLabel(QStringLiteral("Max Digits:"), this);
  digitCaption->setGeometry(kMargin, 40, 66, 18);
  Lbl_Digit = new QLabel(this);
  Lbl_Digit->setObjectName(QStringLiteral("Lbl_Digit"));
  Lbl_Digit->setGeometry(kMargin + 70, 40, 60, 18);

  Grp_Range = new QGroupBox(QStringLiteral("Input Range"), this);
  Grp_Range->setObjectName(QStringLiteral("Grp_Range"));
  Grp_Range->setGeometry(kMargin, 60, kNarrowEditWidth, 58);
  auto* minCaption = new QLabel(QStringLiteral("Min:"), Grp_Range);
  minCaption->setGeometry(8, 18, 30, 16);
  auto* maxCaption = new QLabel(QStringLiteral("Max:"), Grp_Range);
  maxCaption->setGeometry(8, 36, 30, 16);
  Lbl_Min = new QLabel(Grp_Range);
  Lbl_Min->setObjectName(QStringLiteral("Lbl_Min"));
  Lbl_Min->setGeometry(40, 18, kNarrowEditWidth - 52, 16);
  Lbl_Min->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Lbl_Max = new QLabel(Grp_Range);
  Lbl_Max->setObjectName(QStringLiteral("Lbl_Max"));
  Lbl_Max->setGeometry(40, 36, kNarrowEditWidth - 52, 16);
  Lbl_Max->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  BuildNumericPad();
  BuildKeyboard();
  SetUp(kTenkeyInteger, 0.0, 100.0, 3, 0, QString());
}

QPushButton* TTenkey::MakeButton(QWidget* parent, const QString& name, const QString& caption,
                                 int x, int y, int width, int height) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setGeometry(x, y, width, height);
  // Keys reach the form, never a focused button (Space or Enter would click it).
  button->setFocusPolicy(Qt::NoFocus);
  button->setAutoDefault(false);
  return button;
}

void TTenkey::BuildNumericPad() {
  QFont padFont(font());
  padFont.setPixelSize(14);
  padFont.setBold(true);
  auto at = [this, &padFont](const QString& name, const QString& caption, int column, int row) {
    QPushButton* button = MakeButton(this, name, caption, kMargin + column * kPadStepX,
                                     kPadTop + row * kPadStepY, kPadKeyWidth, kPadKeyHeight);
    button->setFont(padFont);
    return button;
  };
  for (int digit = 0; digit <= 9; ++digit) {
    const int column = digit == 0 ? 0 : (digit - 1) % 3;
    const int row = digit == 0 ? 3 : 2 - (digit - 1) / 3;
    const QString caption = QString::number(digit);
    QPushButton* button = at(QStringLiteral("Btn_") + caption, caption, column, row);
    digitButtons_[digit] = button;
    connect(button, &QPushButton::clicked, this,
            [this, button] { Run([&] { logic_.NumberClick(button->text()); }); });
  }
  Btn_Dot = at(QStringLiteral("Btn_Dot"), QStringLiteral("."), 1, 3);
  Btn_Minus = at(QStringLiteral("Btn_Minus"), QStringLiteral("-"), 2, 3);
  Btn_BS = at(QStringLiteral("Btn_BS"), QStringLiteral("BS"), 3, 0);
  Btn_Clear = at(QStringLiteral("Btn_Clear"), QStringLiteral("CLR"), 3, 1);
  Btn_Cancel = at(QStringLiteral("Btn_Cancel"), QStringLiteral("CAN"), 3, 2);
  Btn_Enter = at(QStringLiteral("Btn_Enter"), QStringLiteral("ENT"), 3, 3);
  for (int i = 0; i < 6; ++i) {
    const QString caption(QChar(u'A' + i));
    QPushButton* button = at(QStringLiteral("Btn_") + caption, caption, i % 3, 4 + i / 3);
    hexButtons_[i] = button;
    connect(button, &QPushButton::clicked, this,
            [this, button] { Run([&] { logic_.KeyClick(button->text()); }); });
  }
  connect(Btn_Dot, &QPushButton::clicked, this, [this] { Run([&] { logic_.DotClick(); }); });
  connect(Btn_Minus, &QPushButton::clicked, this, [this] { Run([&] { logic_.MinusClick(); }); });
  connect(Btn_BS, &QPushButton::clicked, this, [this] { Run([&] { logic_.BackspaceClick(); }); });
  connect(Btn_Clear, &QPushButton::clicked, this, [this] { Run([&] { logic_.ClearClick(); }); });
  connect(Btn_Enter, &QPushButton::clicked, this, &TTenkey::Btn_EnterClick);
  connect(Btn_Cancel, &QPushButton::clicked, this, &TTenkey::Btn_CancelClick);
}

void TTenkey::BuildKeyboard() {
  Grp_KeyBoard = new QGroupBox(QStringLiteral("KeyBoard"), this);
  Grp_KeyBoard->setObjectName(QStringLiteral("Grp_KeyBoard"));
  const int left = kMargin + 4 * kPadStepX;
  Grp_KeyBoard->setGeometry(left, 42, kWideWidth - 8 - left, kPadTop + 4 * kPadStepY - 3 - 42);
  int column = 0;
  int lastRow = 0;
  for (int i = 0; i < kKeyboardKeyCount; ++i) {
    const KeyboardKey& key = kKeyboardKeys[i];
    if (key.row != lastRow) column = 0;
    lastRow = key.row;
    QPushButton* button =
        MakeButton(Grp_KeyBoard, QStringLiteral("Btn_") + QString::fromLatin1(key.name),
                   QString::fromLatin1(key.designedCaption), 8 + key.row * 8 + column * kKeyStepX,
                   20 + key.row * kKeyStepY, kKeyWidth, kKeyHeight);
    ++column;
    keyboardButtons_[i] = button;
    connect(button, &QPushButton::clicked, this,
            [this, i] { Run([&] { logic_.KeyClick(logic_.Caption(i)); }); });
  }
  const int y = 20 + 4 * kKeyStepY;
  struct Command {
    const char* name;
    const char* caption;
    int x;
    int width;
  };
  const Command commands[] = {
      {"Btn_Caps", "Caps", 8, 44},        {"Btn_Shift", "Shift", 54, 44},
      {"Btn_Space", "Space", 100, 110},   {"Btn_BS2", "BS", 212, 40},
      {"Btn_Ret", "RET", 254, 40},        {"Btn_Clear2", "Clear", 296, 44},
      {"Btn_Cancel2", "Cancel", 342, 44},
  };
  QPushButton* made[std::size(commands)];
  for (std::size_t i = 0; i < std::size(commands); ++i) {
    made[i] = MakeButton(Grp_KeyBoard, QString::fromLatin1(commands[i].name),
                         QString::fromLatin1(commands[i].caption), commands[i].x, y,
                         commands[i].width, kKeyHeight);
  }
  connect(made[0], &QPushButton::clicked, this, [this] { Run([&] { logic_.CapsClick(); }); });
  connect(made[1], &QPushButton::clicked, this, [this] { Run([&] { logic_.ShiftClick(); }); });
  connect(made[2], &QPushButton::clicked, this, [this] { Run([&] { logic_.SpaceClick(); }); });
  connect(made[3], &QPushButton::clicked, this, [this] { Run([&] { logic_.BackspaceClick(); }); });
  connect(made[4], &QPushButton::clicked, this, &TTenkey::Btn_EnterClick);
  connect(made[5], &QPushButton::clicked, this, [this] { Run([&] { logic_.ClearClick(); }); });
  connect(made[6], &QPushButton::clicked, this, &TTenkey::Btn_CancelClick);

  auto indicator = [this, y](const char* name, const char* caption, int x) {
    auto* shape = new QLabel(QString::fromLatin1(caption), Grp_KeyBoard);
    shape->setObjectName(QString::fromLatin1(name));
    shape->setGeometry(x, y + kKeyHeight + 6, 60, 20);
    shape->setAlignment(Qt::AlignCenter);
    shape->setFrameShape(QFrame::Box);
    shape->setAutoFillBackground(true);
    SetIndicator(shape, false);
    return shape;
  };
  Shp_Caps = indicator("Shp_Caps", "CAPS", 8);
  Shp_Shift = indicator("Shp_Shift", "SHIFT", 72);
}

void TTenkey::SetUp(int kind, double minValue, double maxValue, int maxDigits, int decimals,
                    const QString& startText) {
  logic_.SetUp(kind, minValue, maxValue, maxDigits, decimals, startText);
  const bool text = kind == kTenkeyText;
  const bool hex = kind == kTenkeyHex;
  setFixedSize(text ? kWideWidth : kNarrowWidth, hex ? kHexHeight : kHeight);
  MaskEdit1->resize(text ? kWideEditWidth : kNarrowEditWidth, MaskEdit1->height());
  Grp_KeyBoard->setVisible(text);
  for (QPushButton* button : hexButtons_) button->setVisible(hex);
  Lbl_Digit->setText(logic_.DigitText());
  Lbl_Min->setText(logic_.MinText());
  Lbl_Max->setText(logic_.MaxText());
  SyncControls();
}

bool TTenkey::Execute(int kind, double minValue, double maxValue, int maxDigits, int decimals,
                      const QString& startText) {
  SetUp(kind, minValue, maxValue, maxDigits, decimals, startText);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  exec();
  return logic_.Confirmed();
}

TTenkey::MessageFunction TTenkey::SetMessageFunction(MessageFunction function) {
  MessageFunction previous = std::move(messageFunction_);
  messageFunction_ = std::move(function);
  return previous;
}

void TTenkey::ShowKeypadMessage(const QString& text) {
  if (messageFunction_) {
    messageFunction_(text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, kApplicationTitle, text, QMessageBox::Ok, this);
  QFont messageFont(kJapaneseGothic);
  messageFont.setPixelSize(12);
  box.setFont(messageFont);
  box.exec();
}

void TTenkey::SyncControls() {
  MaskEdit1->setText(logic_.Entry());
  for (QPushButton* button : digitButtons_) button->setEnabled(logic_.DigitsEnabled());
  for (QPushButton* button : hexButtons_) button->setEnabled(logic_.HexEnabled());
  Btn_Dot->setEnabled(logic_.DotEnabled());
  Btn_Minus->setEnabled(logic_.MinusEnabled());
  for (int i = 0; i < kKeyboardKeyCount; ++i) keyboardButtons_[i]->setText(logic_.Caption(i));
  SetIndicator(Shp_Caps, logic_.CapsOn());
  SetIndicator(Shp_Shift, logic_.ShiftOn());
}

void TTenkey::Run(const std::function<void()>& action) {
  action();
  SyncControls();
}

void TTenkey::Btn_EnterClick() {
  const EnterResult result = logic_.EnterClick();
  if (!result.message.isEmpty()) ShowKeypadMessage(result.message);
  SyncControls();
  if (result.accepted) accept();
}

void TTenkey::Btn_CancelClick() {
  logic_.CancelClick();
  reject();
}

void TTenkey::showEvent(QShowEvent* event) {
  logic_.ApplyKeyboardState();
  SyncControls();
  QDialog::showEvent(event);
}

void TTenkey::closeEvent(QCloseEvent* event) {
  // Closing through the window system counts as cancelling.
  logic_.CancelClick();
  QDialog::closeEvent(event);
}

void TTenkey::keyPressEvent(QKeyEvent* event) {
  const bool keypad = (event->modifiers() & Qt::KeypadModifier) != 0;
  const Qt::KeyboardModifiers others = event->modifiers() & ~Qt::KeypadModifier;
  const int key = event->key();
  const bool plain = others == Qt::NoModifier;
  if (key >= Qt::Key_0 && key <= Qt::Key_9 && plain) {
    const int digit = key - Qt::Key_0;
    Run([&] {
      if (keypad) {
        logic_.KeypadDigit(digit);
      } else {
        logic_.NumberPress(QChar(u'0' + digit));
      }
    });
  } else if (key >= Qt::Key_A && key <= Qt::Key_F && plain && !keypad) {
    Run([&] { logic_.NumberPress(QChar(u'A' + (key - Qt::Key_A))); });
  } else if (key == Qt::Key_Period || (key == Qt::Key_Comma && keypad)) {
    // A comma-decimal keypad sends a comma from its decimal key.
    Run([&] { keypad ? logic_.KeypadDot() : logic_.DotClick(); });
  } else if (key == Qt::Key_Minus) {
    Run([&] { keypad ? logic_.KeypadMinus() : logic_.MinusClick(); });
  } else if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
    Run([&] { logic_.BackspaceClick(); });
  } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    Btn_EnterClick();
  } else if (key == Qt::Key_Space) {
    Run([&] { logic_.SpaceClick(); });
  } else if (key == Qt::Key_Escape) {
    // The keypad ends only with ENT or a cancel button.
  } else {
    event->ignore();
    return;
  }
  event->accept();
}

bool TTenkey::eventFilter(QObject* watched, QEvent* event) {
  // The edit is disabled, so its double click is caught before the edit would drop it.
  if (watched == MaskEdit1 && event->type() == QEvent::MouseButtonDblClick) {
    logic_.EntryDoubleClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace orvelle
