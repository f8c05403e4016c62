// The keypad's key logic without widgets: key rules per kind, backspace and clear, the check on
// ENT with its messages, result and range formatting, and the keyboard's Caps/Shift captions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dialogs/TenkeyLogic.h"

namespace orvelle {
namespace {

const QString kRangeMessage = QStringLiteral("設定値が範囲外です。");

// Types on the buttons: digits, '.' dot, '-' minus, '<' backspace, ' ' space, anything else as
// a character key (hexadecimal keys and the keyboard).
void Type(TenkeyLogic& logic, const char* keys) {
  for (const char* k = keys; *k; ++k) {
    const char c = *k;
    if (c >= '0' && c <= '9')
      logic.NumberClick(QString(QChar(c)));
    else if (c == '.')
      logic.DotClick();
    else if (c == '-')
      logic.MinusClick();
    else if (c == '<')
      logic.BackspaceClick();
    else if (c == ' ')
      logic.SpaceClick();
    else
      logic.KeyClick(QString(QChar(c)));
  }
}

QString Row(const TenkeyLogic& logic, int row) {
  QString text;
  for (int i = 0; i < kKeyboardKeyCount; ++i) {
    if (kKeyboardKeys[i].row == row) text += QString(logic.Caption(i)).replace("&&", "&");
  }
  return text;
}

TEST(TenkeyLogicKeys, MinusDotAndSpaceFollowTheKind) {
  TenkeyLogic logic;
  logic.SetUp(kTenkeyDecimal, -10, 10, 5, 1, QString());
  Type(logic, "12- ");  // minus only starts an entry, space only goes into text
  EXPECT_EQ(logic.Entry(), QStringLiteral("12"));
  logic.EntryDoubleClick();
  Type(logic, "-");
  EXPECT_EQ(logic.Entry(), QStringLiteral("-"));

  // An integer never takes a decimal point, even from the keyboard's "." that ignores buttons.
  logic.SetUp(kTenkeyInteger, 1, 50, 2, 0, QStringLiteral("5"));
  logic.DotClick();
  logic.KeypadMinus();  // the keypad's minus follows the disabled button
  EXPECT_EQ(logic.Entry(), QStringLiteral("5"));
  logic.MinusClick();  // the main block's minus always acts
  logic.NumberPress(u'4');
  EXPECT_EQ(logic.Entry(), QStringLiteral("-4"));
  EXPECT_EQ(logic.EnterClick().message, kRangeMessage);

  logic.SetUp(kTenkeyText, 0, 0, 8, 0, QStringLiteral("old"));
  EXPECT_TRUE(logic.MinusEnabled());
  Type(logic, "a-b- ..");
  logic.KeyClick(QStringLiteral("&&"));
  EXPECT_EQ(logic.Entry(), QStringLiteral("a-b- ..&"));
  EXPECT_TRUE(logic.EnterClick().accepted);  // no number, no range, kept as typed
  EXPECT_EQ(logic.Entry(), QStringLiteral("a-b- ..&"));
  EXPECT_EQ(logic.MinText(), QStringLiteral("------"));
}

TEST(TenkeyLogicKeys, BackspaceAndClearRestoreKeys) {
  TenkeyLogic logic;
  logic.SetUp(kTenkeyDecimal, -5, 5, 3, 1, QStringLiteral("4.5"));
  Type(logic, "<");  // right after opening: the whole start text goes
  EXPECT_EQ(logic.Entry(), QString());
  EXPECT_FALSE(logic.ReplaceNext());
  Type(logic, "-1.");
  EXPECT_FALSE(logic.DigitsEnabled());
  Type(logic, "<");
  EXPECT_EQ(logic.Entry(), QStringLiteral("-1"));
  EXPECT_TRUE(logic.DigitsEnabled());
  EXPECT_TRUE(logic.DotEnabled());
  Type(logic, "<<<");
  EXPECT_EQ(logic.Entry(), QString());
  EXPECT_TRUE(logic.MinusEnabled());
  Type(logic, "0.5");
  logic.ClearClick();
  EXPECT_EQ(logic.Entry(), QString());
  EXPECT_TRUE(logic.DigitsEnabled());
  EXPECT_TRUE(logic.ReplaceNext());

  // The last character between the blanks goes, wherever leading blanks put it.
  logic.SetUp(kTenkeyText, 0, 0, 10, 0, QString());
  Type(logic, " ab<");
  EXPECT_EQ(logic.Entry(), QStringLiteral(" a"));
  Type(logic, "b <");
  EXPECT_EQ(logic.Entry(), QStringLiteral(" a "));
}

TEST(TenkeyLogicEnter, RangeIsInclusiveAndRefusalsLeaveTheRightState) {
  TenkeyLogic logic;
  for (const char* text : {"0", "100"}) {
    logic.SetUp(kTenkeyInteger, 0, 100, 3, 0, QString::fromLatin1(text));
    EXPECT_TRUE(logic.EnterClick().accepted) << text;
  }
  logic.SetUp(kTenkeyDecimal, 0.001, 999.999, 7, 3, QStringLiteral("0.0009"));
  EXPECT_EQ(logic.EnterClick().message, kRangeMessage);

  // Too long a start text is refused first; the next key then starts afresh.
  logic.SetUp(kTenkeyInteger, 1, 50, 2, 0, QStringLiteral(" 123 "));
  Type(logic, "5");  // replaces the start text without being refused
  Type(logic, "99");
  EXPECT_EQ(logic.Entry(), QStringLiteral("59"));
  logic.SetUp(kTenkeyInteger, 1, 50, 2, 0, QStringLiteral(" 123 "));
  EnterResult result = logic.EnterClick();
  EXPECT_EQ(result.message, QStringLiteral("桁数ｵｰﾊﾞｰです。2桁以内で入力して下さい。"));
  EXPECT_TRUE(logic.ReplaceNext());

  // Empty: the message and nothing else.
  Type(logic, "<");
  result = logic.EnterClick();
  EXPECT_EQ(result.message, QStringLiteral("ﾃﾞｰﾀを入力して下さい。"));
  EXPECT_FALSE(logic.ReplaceNext());

  // Not a number: the conversion error; the entry stays and is not restarted.
  logic.SetUp(kTenkeyDecimal, -10, 10, 4, 1, QString());
  Type(logic, "-");
  EXPECT_EQ(logic.EnterClick().message, QStringLiteral("'-' is not a valid floating point value"));
  EXPECT_EQ(logic.Entry(), QStringLiteral("-"));
  EXPECT_FALSE(logic.ReplaceNext());
  EXPECT_FALSE(logic.Confirmed());
  logic.SetUp(kTenkeyInteger, 0, 100, 3, 0, QString());
  logic.NumberPress(u'1');
  logic.NumberPress(u'a');
  EXPECT_EQ(logic.EnterClick().message, QStringLiteral("'1A' is not a valid floating point value"));

  logic.SetUp(kTenkeyInteger, -100, 100, 3, 0, QStringLiteral("-0"));
  EXPECT_TRUE(logic.EnterClick().accepted);
  EXPECT_EQ(logic.Entry(), QStringLiteral("0"));
}

TEST(TenkeyLogicEnter, HexadecimalConvertsPositionallyAndShowsItsLimitsInHex) {
  TenkeyLogic logic;
  logic.SetUp(kTenkeyHex, 0, 31, 4, 0, QStringLiteral("0"));
  EXPECT_EQ(logic.MinText(), QStringLiteral("0000"));
  EXPECT_EQ(logic.MaxText(), QStringLiteral("001F"));
  EXPECT_TRUE(logic.HexEnabled() && logic.DotEnabled() && logic.MinusEnabled());
  Type(logic, "1F");
  EXPECT_TRUE(logic.EnterClick().accepted);
  EXPECT_EQ(logic.Entry(), QStringLiteral("1F"));
  logic.SetUp(kTenkeyHex, 0, 30, 4, 0, QStringLiteral("1F"));
  EXPECT_EQ(logic.EnterClick().message, kRangeMessage);

  logic.SetUp(kTenkeyHex, -1.9, 255.7, 2, 0, QString());
  EXPECT_EQ(logic.MinText(), QStringLiteral("-01"));
  EXPECT_EQ(logic.MaxText(), QStringLiteral("FF"));
  Type(logic, "FFF");
  EXPECT_EQ(logic.Entry(), QStringLiteral("FF"));
  EXPECT_FALSE(logic.HexEnabled());

  EXPECT_EQ(HexEntryValue(QStringLiteral("ff")), 255);
  EXPECT_EQ(HexEntryValue(QStringLiteral("1G")), 16);  // keeps its place, adds nothing
  EXPECT_EQ(HexEntryValue(QStringLiteral("-1")), 1);
  EXPECT_EQ(HexEntryValue(QString(40, u'F')), std::pow(16.0, 40) - 1);
}

TEST(TenkeyNumberText, FixedFormatGeneralFormatAndDecimalParsing) {
  EXPECT_EQ(FormatFixed(-99998.999, 10, 3), QStringLiteral("-99998.999"));
  EXPECT_EQ(FormatFixed(123.456, 4, 2), QStringLiteral("123.50"));
  EXPECT_EQ(FormatFixed(9.9996, 4, 3), QStringLiteral("10.000"));
  EXPECT_EQ(FormatFixed(9.9996, 10, 3), QStringLiteral("10.000"));
  EXPECT_EQ(FormatFixed(0.0123456, 3, 6), QStringLiteral("0.012300"));
  EXPECT_EQ(FormatFixed(-0.0001, 5, 3), QStringLiteral("0.000"));
  EXPECT_EQ(FormatFixed(123456, 3, 0), QStringLiteral("1.23E+05"));
  EXPECT_EQ(FormatGeneral(1234567), QStringLiteral("1234567"));

  for (const char* bad : {"", " ", "-", ".", "-.", "1A", "1e", "1.2.3", "nan", "inf", "1 2"}) {
    EXPECT_FALSE(ParseDecimalEntry(QString::fromLatin1(bad)).has_value()) << bad;
  }
  EXPECT_EQ(ParseDecimalEntry(QStringLiteral(" .5 ")), 0.5);
  EXPECT_EQ(ParseDecimalEntry(QStringLiteral("5.")), 5.0);
  EXPECT_EQ(ParseDecimalEntry(QStringLiteral("-1E3")), -1000.0);
  EXPECT_EQ(ParseDecimalEntry(QStringLiteral("1E999")), std::numeric_limits<double>::infinity());
}

TEST(TenkeyKeyboard, ShiftAndCapsRewriteEveryCaption) {
  TenkeyLogic logic;
  logic.ApplyKeyboardState();  // as the dialog does when it is shown
  EXPECT_EQ(Row(logic, 0) + Row(logic, 1), QStringLiteral("1234567890-^\\qwertyuiop@["));
  EXPECT_EQ(Row(logic, 2) + Row(logic, 3), QStringLiteral("asdfghjkl;:]zxcvbnm,./_"));
  logic.ShiftClick();
  EXPECT_EQ(logic.Caption(5), QStringLiteral("&&"));
  EXPECT_EQ(Row(logic, 0) + Row(logic, 1), QStringLiteral("!\"#$%&'()0=~|qwertyuiop`{"));
  EXPECT_EQ(Row(logic, 2) + Row(logic, 3), QStringLiteral("asdfghjkl+*}zxcvbnm<>?_"));
  logic.CapsClick();
  EXPECT_EQ(logic.KeyboardState(), 3);
  EXPECT_EQ(Row(logic, 1), QStringLiteral("QWERTYUIOP`{"));
  logic.ShiftClick();
  EXPECT_EQ(logic.KeyboardState(), 2);
  EXPECT_EQ(Row(logic, 0) + Row(logic, 3), QStringLiteral("1234567890-^\\ZXCVBNM,./_"));
  for (const char* caption : {"Caps", "Space", "Cancel"}) {
    EXPECT_EQ(KeyboardCaption(QString::fromLatin1(caption), true, true),
              QString::fromLatin1(caption));
  }
}

}  // namespace
}  // namespace orvelle
