#include "dialogs/TenkeyLogic.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "data/Platform.h"

namespace orvelle {

const std::array<KeyboardKey, kKeyboardKeyCount> kKeyboardKeys = {{
    {"Key1", "!", 0},          {"Key2", "\"", 0},         {"Key3", "#", 0},
    {"Key4", "$", 0},          {"Key5", "%", 0},          {"Key6", "&&", 0},
    {"Key7", "'", 0},          {"Key8", "(", 0},          {"Key9", ")", 0},
    {"Key0", "0", 0},          {"KeyMinus", "-", 0},      {"KeyCaret", "~", 0},
    {"KeyBackslash", "\\", 0},  //
    {"KeyQ", "Q", 1},          {"KeyW", "W", 1},          {"KeyE", "E", 1},
    {"KeyR", "R", 1},          {"KeyT", "T", 1},          {"KeyY", "Y", 1},
    {"KeyU", "U", 1},          {"KeyI", "I", 1},          {"KeyO", "O", 1},
    {"KeyP", "P", 1},          {"KeyAt", "@", 1},         {"KeyLBracket", "[", 1},
    {"KeyA", "A", 2},          {"KeyS", "S", 2},          {"KeyD", "D", 2},
    {"KeyF", "F", 2},          {"KeyG", "G", 2},          {"KeyH", "H", 2},
    {"KeyJ", "J", 2},          {"KeyK", "K", 2},          {"KeyL", "L", 2},
    {"KeySemicolon", ";", 2},  {"KeyColon", ":", 2},      {"KeyRBracket", "]", 2},
    {"KeyZ", "Z", 3},          {"KeyX", "X", 3},          {"KeyC", "C", 3},
    {"KeyV", "V", 3},          {"KeyB", "B", 3},          {"KeyN", "N", 3},
    {"KeyM", "M", 3},          {"KeyComma", ",", 3},      {"KeyPeriod", ".", 3},
    {"KeySlash", "/", 3},      {"KeyUnderscore", "_", 3},
}};

namespace {

// Base key and its shifted partner; the ampersand partner of 6 is handled apart because its
// caption is the escaped "&&".
constexpr char kShiftPairs[][2] = {
    {'1', '!'}, {'2', '"'}, {'3', '#'},  {'4', '$'}, {'5', '%'}, {'7', '\''}, {'8', '('},
    {'9', ')'}, {':', '*'}, {';', '+'},  {',', '<'}, {'-', '='}, {'.', '>'},  {'/', '?'},
    {'@', '`'}, {'[', '{'}, {'\\', '|'}, {']', '}'}, {'^', '~'},
};

const QString kAmpersandCaption = QStringLiteral("&&");

// The text between leading and trailing blanks (every control character and the space).
struct Span {
  int begin;
  int end;
};

Span TrimmedSpan(const QString& text) {
  auto isBlank = [&text](int i) { return text.at(i).unicode() <= 0x20; };
  Span span{0, static_cast<int>(text.size())};
  while (span.begin < span.end && isBlank(span.begin)) ++span.begin;
  while (span.end > span.begin && isBlank(span.end - 1)) --span.end;
  return span;
}

QString RangeLimitHex(double value, int minDigits) {
  if (std::isnan(value)) return QStringLiteral("0");
  const double t = std::trunc(value);
  // Saturate rather than overflow for limits beyond 64 bits.
  const double limit = 9.2e18;
  const auto whole = static_cast<std::int64_t>(std::clamp(t, -limit, limit));
  const std::uint64_t magnitude =
      whole < 0 ? static_cast<std::uint64_t>(-whole) : static_cast<std::uint64_t>(whole);
  QString digits = QString::number(magnitude, 16).toUpper();
  const int width = std::clamp(minDigits, 1, 31);
  if (digits.size() < width) digits = QString(width - digits.size(), u'0') + digits;
  return whole < 0 ? QStringLiteral("-") + digits : digits;
}

}  // namespace

QString KeyboardCaption(const QString& caption, bool capsOn, bool shiftOn) {
  if (caption == kAmpersandCaption) return shiftOn ? caption : QStringLiteral("6");
  if (caption.size() != 1) return caption;
  const char16_t c = caption.at(0).unicode();
  if (c >= u'a' && c <= u'z') return capsOn ? caption.toUpper() : caption;
  if (c >= u'A' && c <= u'Z') return capsOn ? caption : caption.toLower();
  if (c == u'6') return shiftOn ? kAmpersandCaption : caption;
  for (const auto& pair : kShiftPairs) {
    if (shiftOn && c == static_cast<char16_t>(pair[0])) return QString(QChar(pair[1]));
    if (!shiftOn && c == static_cast<char16_t>(pair[1])) return QString(QChar(pair[0]));
  }
  return caption;
}

QString FormatFixed(double value, int precision, int decimals) {
  if (!std::isfinite(value)) return QString::number(value);
  precision = std::clamp(precision, 1, 17);
  decimals = std::clamp(decimals, 0, 30);
  const QString rounded = QString::number(value, 'e', precision - 1);
  const int exponent = rounded.mid(rounded.indexOf(u'e') + 1).toInt();
  QString text;
  if (exponent + 1 > precision) {
    text = QString::number(value, 'E', precision - 1);
  } else if (exponent + 1 + decimals <= precision) {
    text = QString::number(value, 'f', decimals);
  } else {
    // The significant digits end before the last decimal: the rest is zeros.
    QString digits = rounded.left(rounded.indexOf(u'e'));
    const bool negative = digits.startsWith(u'-');
    digits.remove(u'-').remove(u'.');
    QString whole;
    QString fraction;
    if (exponent >= 0) {
      whole = digits.left(exponent + 1);
      fraction = digits.mid(exponent + 1);
    } else {
      whole = QStringLiteral("0");
      fraction = QString(-exponent - 1, u'0') + digits;
    }
    text = (negative ? QStringLiteral("-") : QString()) + whole + u'.' +
           fraction.leftJustified(decimals, u'0', true);
  }
  const bool allZero =
      std::none_of(text.begin(), text.end(), [](QChar c) { return c >= u'1' && c <= u'9'; });
  if (allZero && text.startsWith(u'-')) text.remove(0, 1);
  return text;
}

QString FormatGeneral(double value) {
  if (value == 0.0) return QStringLiteral("0");
  return QString::number(value, 'g', 15);
}

std::optional<double> ParseDecimalEntry(const QString& text) {
  const auto [begin, end] = TrimmedSpan(text);
  auto isDigit = [&text](int i) { return text.at(i) >= u'0' && text.at(i) <= u'9'; };
  int i = begin;
  if (i < end && (text.at(i) == u'+' || text.at(i) == u'-')) ++i;
  int mantissaDigits = 0;
  while (i < end && isDigit(i)) ++i, ++mantissaDigits;
  if (i < end && text.at(i) == u'.') {
    ++i;
    while (i < end && isDigit(i)) ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return std::nullopt;
  if (i < end && (text.at(i) == u'e' || text.at(i) == u'E')) {
    ++i;
    if (i < end && (text.at(i) == u'+' || text.at(i) == u'-')) ++i;
    int exponentDigits = 0;
    while (i < end && isDigit(i)) ++i, ++exponentDigits;
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != end) return std::nullopt;
  // The grammar above admits only ASCII, and strtod gives overflow and underflow their limits;
  // StrtodC keeps '.' as the decimal point whatever the process locale.
  const QByteArray bytes = text.mid(begin, end - begin).toLatin1();
  return StrtodC(bytes.constData());
}

double HexEntryValue(const QString& text) {
  double value = 0.0;
  for (QChar ch : text) {
    const char16_t c = ch.unicode();
    int digit = 0;
    if (c >= u'0' && c <= u'9')
      digit = c - u'0';
    else if (c >= u'A' && c <= u'F')
      digit = c - u'A' + 10;
    else if (c >= u'a' && c <= u'f')
      digit = c - u'a' + 10;
    value = value * 16.0 + digit;
  }
  return value;
}

TenkeyLogic::TenkeyLogic() {
  for (int i = 0; i < kKeyboardKeyCount; ++i) {
    captions_[i] = QString::fromLatin1(kKeyboardKeys[i].designedCaption);
  }
}

void TenkeyLogic::SetUp(int kind, double minValue, double maxValue, int maxDigits, int decimals,
                        const QString& startText) {
  kind_ = kind;
  minValue_ = minValue;
  maxValue_ = maxValue;
  maxDigits_ = maxDigits;
  decimals_ = decimals;
  EnableInputKeys();
  if (kind_ == kTenkeyInteger) dotEnabled_ = false;
  if (kind_ == kTenkeyDecimal) dotEnabled_ = true;
  minusEnabled_ = !(IsNumericKind() && minValue_ >= 0.0);
  entry_ = startText;
  confirmed_ = false;
  replaceNext_ = true;
}

int TenkeyLogic::TrimmedLength() const {
  const Span span = TrimmedSpan(entry_);
  return span.end - span.begin;
}

void TenkeyLogic::EnableInputKeys() {
  digitsEnabled_ = true;
  dotEnabled_ = kind_ != kTenkeyInteger;
  minusEnabled_ = minValue_ < 0.0 || kind_ == kTenkeyText;
  if (kind_ == kTenkeyHex) hexEnabled_ = true;
}

void TenkeyLogic::DisableInputKeys() {
  digitsEnabled_ = false;
  dotEnabled_ = false;
  minusEnabled_ = false;
  hexEnabled_ = false;
}

void TenkeyLogic::AppendText(const QString& text) {
  if (replaceNext_) {
    entry_ = text;
    replaceNext_ = false;
  } else if (TrimmedLength() < maxDigits_) {
    entry_ += text;
  }
  const int length = TrimmedLength();
  if (IsNumericKind() && length > 0) minusEnabled_ = false;
  if (length >= maxDigits_) DisableInputKeys();
}

void TenkeyLogic::NumberClick(const QString& digit) {
  AppendText(digit);
  if (IsNumericKind()) minusEnabled_ = false;
}

void TenkeyLogic::KeyClick(const QString& caption) {
  AppendText(caption == kAmpersandCaption ? QStringLiteral("&") : caption);
}

void TenkeyLogic::NumberPress(QChar character) { AppendText(QString(character.toUpper())); }

void TenkeyLogic::DotClick() {
  // An integer never takes a decimal point, even from the physical keyboard whose "." acts
  // whatever the button's state: the caller would read "0.5" as 0.
  if (kind_ == kTenkeyInteger) return;
  const bool allowed = !entry_.contains(u'.') || kind_ == kTenkeyText || replaceNext_;
  if (!allowed) return;
  AppendText(QStringLiteral("."));
  if (IsNumericKind()) {
    dotEnabled_ = false;
    minusEnabled_ = false;
  }
}

void TenkeyLogic::MinusClick() {
  const bool allowed = TrimmedLength() == 0 || replaceNext_ || kind_ == kTenkeyText;
  if (!allowed) return;
  if (IsNumericKind()) replaceNext_ = true;
  AppendText(QStringLiteral("-"));
  if (IsNumericKind()) minusEnabled_ = false;
}

void TenkeyLogic::BackspaceClick() {
  const Span span = TrimmedSpan(entry_);
  if (span.end > span.begin) {
    // The last character of the text between the blanks, wherever leading blanks put it.
    entry_.remove(span.end - 1, 1);
    AppendText(QString());
  }
  if (TrimmedLength() < maxDigits_) EnableInputKeys();
  if (TrimmedLength() == 0 && minValue_ < 0.0) minusEnabled_ = true;
  if (kind_ != kTenkeyInteger && !entry_.contains(u'.')) dotEnabled_ = true;
}

void TenkeyLogic::ClearClick() {
  entry_.clear();
  EnableInputKeys();
  AppendText(QString());
  replaceNext_ = true;
}

void TenkeyLogic::SpaceClick() {
  if (kind_ == kTenkeyText) AppendText(QStringLiteral(" "));
}

void TenkeyLogic::KeypadDigit(int digit) {
  if (digit >= 0 && digit <= 9) AppendText(QString::number(digit));
}

void TenkeyLogic::KeypadMinus() {
  if (minusEnabled_) MinusClick();
}

void TenkeyLogic::KeypadDot() {
  if (dotEnabled_) DotClick();
}

void TenkeyLogic::FinishEnter() {
  EnableInputKeys();
  replaceNext_ = true;
}

EnterResult TenkeyLogic::EnterClick() {
  EnterResult result;
  if (TrimmedLength() > maxDigits_) {
    result.message = QStringLiteral("桁数ｵｰﾊﾞｰです。%1桁以内で入力して下さい。").arg(maxDigits_);
    FinishEnter();
    return result;
  }
  if (entry_.isEmpty()) {
    result.message = QStringLiteral("ﾃﾞｰﾀを入力して下さい。");
    return result;
  }
  double value = 0.0;
  if (kind_ != kTenkeyText) {
    if (IsNumericKind()) {
      const std::optional<double> parsed = ParseDecimalEntry(entry_);
      if (!parsed) {
        result.message = QStringLiteral("'%1' is not a valid floating point value").arg(entry_);
        return result;
      }
      value = *parsed;
    } else {
      value = HexEntryValue(entry_);
    }
    if (!(value >= minValue_ && value <= maxValue_)) {
      result.message = QStringLiteral("設定値が範囲外です。");
      FinishEnter();
      return result;
    }
  }
  if (kind_ == kTenkeyInteger) entry_ = FormatGeneral(value);
  if (kind_ == kTenkeyDecimal) entry_ = FormatFixed(value, maxDigits_, decimals_);
  confirmed_ = true;
  result.accepted = true;
  FinishEnter();
  return result;
}

void TenkeyLogic::CapsClick() {
  capsOn_ = !capsOn_;
  keyboardState_ = (capsOn_ ? 2 : 0) + (shiftOn_ ? 1 : 0);
  ApplyKeyboardState();
}

void TenkeyLogic::ShiftClick() {
  shiftOn_ = !shiftOn_;
  keyboardState_ = (capsOn_ ? 2 : 0) + (shiftOn_ ? 1 : 0);
  ApplyKeyboardState();
}

void TenkeyLogic::ApplyKeyboardState() {
  capsOn_ = (keyboardState_ & 2) != 0;
  shiftOn_ = (keyboardState_ & 1) != 0;
  for (QString& caption : captions_) caption = KeyboardCaption(caption, capsOn_, shiftOn_);
}

QString TenkeyLogic::RangeText(double value) const {
  if (kind_ == kTenkeyText) return QStringLiteral("------");
  if (kind_ == kTenkeyHex) return RangeLimitHex(value, maxDigits_);
  return FormatFixed(value, maxDigits_, decimals_);
}

QString TenkeyLogic::MinText() const { return RangeText(minValue_); }
QString TenkeyLogic::MaxText() const { return RangeText(maxValue_); }

}  // namespace orvelle
