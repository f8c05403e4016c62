// The data input keypad without its widgets: the entry, the enabled state of the input keys, the
// keyboard toggles and the check on ENT. The dialog (Input.h) forwards every button and key here
// and copies the state back into its controls, so tests drive the keypad without a display.
#pragma once

#include <array>
#include <optional>

#include <QString>

namespace orvelle {

// Kinds of entry the keypad accepts.
inline constexpr int kTenkeyInteger = 0;
inline constexpr int kTenkeyDecimal = 1;
inline constexpr int kTenkeyText = 2;
inline constexpr int kTenkeyHex = 3;

// One character key of the full keyboard: the suffix of its control name ("Btn_" + name) and its
// designed caption ("&&" stands for a literal ampersand, as in a button caption).
struct KeyboardKey {
  const char* name;
  const char* designedCaption;
  int row;  // 0..3, top to bottom
};

inline constexpr int kKeyboardKeyCount = 48;
extern const std::array<KeyboardKey, kKeyboardKeyCount> kKeyboardKeys;

// The caption a keyboard key shows for the Caps and Shift state: letters follow Caps, the
// punctuation pairs follow Shift, multi-character captions (other than "&&"), "0" and "_" stay.
QString KeyboardCaption(const QString& caption, bool capsOn, bool shiftOn);

// The value rounded to `precision` significant digits and printed with `decimals` decimals
// ('.' whatever the locale; scientific form when the integer part has more digits than
// `precision`). A zero result carries no sign.
QString FormatFixed(double value, int precision, int decimals);

// The shortest general decimal text of the value with up to 15 significant digits ("-0" gives
// "0").
QString FormatGeneral(double value);

// The whole text read as a decimal number (blanks around it allowed, an exponent allowed);
// nothing when it is not one, for example "-", "." or "1A".
std::optional<double> ParseDecimalEntry(const QString& text);

// The text read as hexadecimal: each character weighted by 16 to the power of its distance from
// the end; 0-9, A-F and a-f count, any other character counts as a zero digit.
double HexEntryValue(const QString& text);

// What ENT did: a message to show (empty when none), and whether the entry was accepted.
struct EnterResult {
  bool accepted = false;
  QString message;
};

class TenkeyLogic {
 public:
  TenkeyLogic();

  // Prepares one opening: stores the kind and limits, enables the input keys for the kind, takes
  // the start text as the entry (the first typed key replaces it). The keyboard state is kept.
  void SetUp(int kind, double minValue, double maxValue, int maxDigits, int decimals,
             const QString& startText);

  // The one path by which keys change the entry: taken when replaceNext is set or the trimmed
  // entry is shorter than maxDigits; disables the input keys once maxDigits is reached.
  void AppendText(const QString& text);

  // A digit button of the numeric pad ("0".."9").
  void NumberClick(const QString& digit);
  // A hexadecimal button or a character key of the keyboard; "&&" appends "&".
  void KeyClick(const QString& caption);
  // A digit or A..F typed on the main block of the physical keyboard; acts whatever the buttons'
  // enabled state.
  void NumberPress(QChar character);
  void DotClick();
  void MinusClick();
  void BackspaceClick();
  void ClearClick();
  void SpaceClick();
  // The numeric keypad of the physical keyboard: digits always, "-" and "." only while the
  // matching button is enabled.
  void KeypadDigit(int digit);
  void KeypadMinus();
  void KeypadDot();
  // A double click on the entry field: the next key starts a new entry.
  void EntryDoubleClick() { replaceNext_ = true; }

  // Checks the entry; on acceptance the entry is rewritten for the kind and confirmed is set.
  // Refusals return the message to show; an empty entry leaves everything else unchanged.
  EnterResult EnterClick();
  // Ends the opening without a result.
  void CancelClick() { confirmed_ = false; }

  void CapsClick();
  void ShiftClick();
  // Rewrites every keyboard caption for keyboardState (bit 1 Caps, bit 0 Shift).
  void ApplyKeyboardState();

  int Kind() const { return kind_; }
  double MinValue() const { return minValue_; }
  double MaxValue() const { return maxValue_; }
  int MaxDigits() const { return maxDigits_; }
  int Decimals() const { return decimals_; }
  const QString& Entry() const { return entry_; }
  bool ReplaceNext() const { return replaceNext_; }
  bool Confirmed() const { return confirmed_; }
  int KeyboardState() const { return keyboardState_; }
  bool CapsOn() const { return capsOn_; }
  bool ShiftOn() const { return shiftOn_; }

  bool DigitsEnabled() const { return digitsEnabled_; }
  bool DotEnabled() const { return dotEnabled_; }
  bool MinusEnabled() const { return minusEnabled_; }
  bool HexEnabled() const { return hexEnabled_; }

  // Texts of the range and limit labels for the current opening.
  QString DigitText() const { return QString::number(maxDigits_); }
  QString MinText() const;
  QString MaxText() const;

  // The current caption of keyboard key `index` (0..kKeyboardKeyCount-1).
  const QString& Caption(int index) const { return captions_[index]; }

 private:
  void EnableInputKeys();
  void DisableInputKeys();
  int TrimmedLength() const;
  bool IsNumericKind() const { return kind_ == kTenkeyInteger || kind_ == kTenkeyDecimal; }
  QString RangeText(double value) const;
  void FinishEnter();

  int kind_ = kTenkeyInteger;
  double minValue_ = 0.0;
  double maxValue_ = 0.0;
  int maxDigits_ = 0;
  int decimals_ = 0;
  int keyboardState_ = 0;
  bool replaceNext_ = true;
  bool confirmed_ = false;
  bool capsOn_ = false;
  bool shiftOn_ = false;
  QString entry_;

  bool digitsEnabled_ = true;
  bool dotEnabled_ = true;
  bool minusEnabled_ = true;
  bool hexEnabled_ = false;

  std::array<QString, kKeyboardKeyCount> captions_;
};

}  // namespace orvelle
