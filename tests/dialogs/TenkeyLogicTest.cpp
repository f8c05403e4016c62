// The keypad's key logic without widgets: typing limits, key enabling, the check on ENT with its
// messages, the formatting of results and range limits, and the keyboard's Caps/Shift captions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dialogs/TenkeyLogic.h"

namespace orvelle {
namespace {

const QString kDigitsMessage2 = QStringLiteral("桁数ｵｰﾊﾞｰです。2桁以内で入力して下さい。");
const QString kEmptyMessage = QStringLiteral("ﾃﾞｰﾀを入力して下さい。");
const QString kRangeMessage = QStringLiteral("設定値が範囲外です。");

// Types on the buttons: digits, '.' dot, '-' minus, '<' backspace, anything else as a character
// key (hexadecimal keys and the keyboard).
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
    else
      logic.KeyClick(QString(QChar(c)));
  }
}

QString Captions(const TenkeyLogic& logic, int row) {
  QString text;
  for (int i = 0; i < kKeyboardKeyCount; ++i) {
    if (kKeyboardKeys[i].row != row) continue;
    const QString caption = logic.Caption(i);
    text += caption == QStringLiteral("&&") ? QStringLiteral("&") : caption;
  }
  return text;
}

TEST(TenkeyLogicTyping, IntegerEntryReplacesStartTextStopsAtMaxDigitsAndRestartsAfterRefusal) {
  TenkeyLogic logic;
  logic.SetUp(kTenkeyInteger, 1, 50, 2, 0, QStringLiteral("10"));
  EXPECT_FALSE(logic.DotEnabled());
  EXPECT_FALSE(logic.MinusEnabled());
  EXPECT_EQ(logic.MinText(), QStringLiteral("1"));
  EXPECT_EQ(logic.MaxText(), QStringLiteral("50"));
  Type(logic, "7");
  EXPECT_EQ(logic.Entry(), QStringLiteral("7"));
  Type(logic, "5");
  EXPECT_EQ(logic.Entry(), QStringLiteral("75"));
  EXPECT_FALSE(logic.DigitsEnabled());
  Type(logic, "3");
  logic.NumberPress(u'4');
  logic.KeypadDigit(4);
  EXPECT_EQ(logic.Entry(), QStringLiteral("75"));

  const EnterResult refused = logic.EnterClick();
  EXPECT_FALSE(refused.accepted);
  EXPECT_EQ(refused.message, kRangeMessage);
  EXPECT_FALSE(logic.Confirmed());
  EXPECT_TRUE(logic.DigitsEnabled());
  EXPECT_TRUE(logic.ReplaceNext());
  Type(logic, "3");
  EXPECT_EQ(logic.Entry(), QStringLiteral("3"));

  const EnterResult accepted = logic.EnterClick();
  EXPECT_TRUE(accepted.accepted);
  EXPECT_TRUE(accepted.message.isEmpty());
  EXPECT_TRUE(logic.Confirmed());
  EXPECT_EQ(logic.Entry(), QStringLiteral("3"));
}

TEST(TenkeyLogicTyping, DecimalWithNegativeMinimumTakesOneDotAndFormatsTheResult) {
  TenkeyLogic logic;
  logic.SetUp(kTenkeyDecimal, -99998.999, 99999.9, 10, 3, QStringLiteral("12.000"));
  EXPECT_TRUE(logic.MinusEnabled());
  EXPECT_EQ(logic.MinText(), QStringLiteral("-99998.999"));
  EXPECT_EQ(logic.MaxText(), QStringLiteral("99999.900"));
  Type(logic, "-");
  EXPECT_EQ(logic.Entry(), QStringLiteral("-"));
  EXPECT_FALSE(logic.MinusEnabled());
  Type(logic, "1.");
  EXPECT_FALSE(logic.DotEnabled());
  Type(logic, "5.-");
  EXPECT_EQ(logic.Entry(), QStringLiteral("-1.5"));
  EXPECT_TRUE(logic.EnterClick().accepted);
  EXPECT_EQ(logic.Entry(), QStringLiteral("-1.500"));
}

TEST(TenkeyLogicTyping, MinusStartsANewNumericEntryButIsAppendedToText) {
  TenkeyLogic logic;
  logic.SetUp(kTenkeyDecimal, -10, 10, 5, 1, QString());
  Type(logic, "12");
  logic.MinusClick();  // not at the start of the entry: refused
  EXPECT_EQ(logic.Entry(), QStringLiteral("12"));
  logic.EntryDoubleClick();
  logic.MinusClick();
  EXPECT_EQ(logic.Entry(), QStringLiteral("-"));

  logic.SetUp(kTenkeyText, 0, 0, 8, 0, QStringLiteral("old"));
  EXPECT_TRUE(logic.MinusEnabled());
  Type(logic, "a-b-");
  logic.SpaceClick();
  logic.DotClick();
  logic.DotClick();
  logic.KeyClick(QStringLiteral("&&"));
  EXPECT_EQ(logic.Entry(), QStringLiteral("a-b- ..&"));
  // Text needs no number and no range; blanks are kept as typed.
  EXPECT_TRUE(logic.EnterClick().accepted);
  EXPECT_EQ(logic.Entry(), QStringLiteral("a-b- ..&"));
}

TEST(TenkeyLogicTyping, SpaceAppendsOnlyToText) {
  TenkeyLogic logic;
  logic.SetUp(kTenkeyDecimal, 0, 10, 5, 1, QString());
  Type(logic, "1");
  logic.SpaceClick();
  EXPECT_EQ(logic.Entry(), QStringLiteral("1"));
}

TEST(TenkeyLogicTyping, IntegerNeverTakesADecimalPointEvenFromTheKeyboard) {
  TenkeyLogic logic;
  logic.SetUp(kTenkeyInteger, 0, 100, 3, 0, QStringLiteral("5"));
  logic.DotClick();
  logic.KeypadDot();
  EXPECT_EQ(logic.Entry(), QStringLiteral("5"));
  EXPECT_TRUE(logic.ReplaceNext());
}

TEST(TenkeyLogicTyping, KeypadMinusFollowsTheButtonWhileTheMainBlockMinusAlwaysActs) {
  TenkeyLogic logic;
  logic.SetUp(kTenkeyInteger, 1, 50, 2, 0, QStringLiteral("10"));
  logic.KeypadMinus();
  EXPECT_EQ(logic.Entry(), QStringLiteral("10"));
  logic.MinusClick();
  EXPECT_EQ(logic.Entry(), QStringLiteral("-"));
  logic.NumberPress(u'4');
  EXPECT_EQ(logic.EnterClick().message, kRangeMessage);
}

TEST(TenkeyLogicBackspace, EmptiesTheStartTextThenDeletesTheLastCharacterAndReenablesKeys) {
  TenkeyLogic logic;
  logic.SetUp(kTenkeyDecimal, -5, 5, 3, 1, QStringLiteral("4.5"));
  logic.BackspaceClick();
  EXPECT_EQ(logic.Entry(), QString());
  EXPECT_FALSE(logic.ReplaceNext());
  Type(logic, "-1.");
  EXPECT_FALSE(logic.DigitsEnabled());
  EXPECT_FALSE(logic.DotEnabled());
  logic.BackspaceClick();
  EXPECT_EQ(logic.Entry(), QStringLiteral("-1"));
  EXPECT_TRUE(logic.DigitsEnabled());
  EXPECT_TRUE(logic.DotEnabled());
  logic.BackspaceClick();
  logic.BackspaceClick();
  EXPECT_EQ(logic.Entry(), QString());
  EXPECT_TRUE(logic.MinusEnabled());
  logic.BackspaceClick();  // nothing left to delete
  EXPECT_EQ(logic.Entry(), QString());
}

TEST(TenkeyLogicBackspace, DeletesTheLastCharacterBetweenBlanks) {
  TenkeyLogic logic;
  logic.SetUp(kTenkeyText, 0, 0, 10, 0, QString());
  Type(logic, "ab");
  logic.SpaceClick();
  logic.BackspaceClick();
  EXPECT_EQ(logic.Entry(), QStringLiteral("a "));

  logic.SetUp(kTenkeyText, 0, 0, 10, 0, QString());
  logic.SpaceClick();
  Type(logic, "ab");
  logic.BackspaceClick();
  EXPECT_EQ(logic.Entry(), QStringLiteral(" a"));
}

TEST(TenkeyLogicClear, EmptiesTheEntryReenablesKeysAndRestartsTheEntry) {
  TenkeyLogic logic;
  logic.SetUp(kTenkeyDecimal, -1, 1, 3, 2, QString());
  Type(logic, "0.5");
  EXPECT_FALSE(logic.DigitsEnabled());
  logic.ClearClick();
  EXPECT_EQ(logic.Entry(), QString());
  EXPECT_TRUE(logic.DigitsEnabled());
  EXPECT_TRUE(logic.DotEnabled());
  EXPECT_TRUE(logic.MinusEnabled());
  EXPECT_TRUE(logic.ReplaceNext());
}

TEST(TenkeyLogicEnter, LimitsAreInclusive) {
  TenkeyLogic logic;
  for (const char* text : {"0", "100"}) {
    logic.SetUp(kTenkeyInteger, 0, 100, 3, 0, QString());
    logic.AppendText(QString::fromLatin1(text));
    EXPECT_TRUE(logic.EnterClick().accepted) << text;
    EXPECT_EQ(logic.Entry(), QString::fromLatin1(text));
  }
  logic.SetUp(kTenkeyDecimal, 0.001, 999.999, 7, 3, QStringLiteral("999.999"));
  EXPECT_TRUE(logic.EnterClick().accepted);
  logic.SetUp(kTenkeyDecimal, 0.001, 999.999, 7, 3, QStringLiteral("1000"));
  EXPECT_EQ(logic.EnterClick().message, kRangeMessage);
  logic.SetUp(kTenkeyDecimal, 0.001, 999.999, 7, 3, QStringLiteral("0.0009"));
  EXPECT_EQ(logic.EnterClick().message, kRangeMessage);
}

TEST(TenkeyLogicEnter, RefusalsGiveTheirMessagesAndLeaveTheRightState) {
  TenkeyLogic logic;
  // Too long a start text: refused before anything else; the next key starts afresh.
  logic.SetUp(kTenkeyInteger, 1, 50, 2, 0, QStringLiteral(" 123 "));
  EnterResult result = logic.EnterClick();
  EXPECT_FALSE(result.accepted);
  EXPECT_EQ(result.message, kDigitsMessage2);
  EXPECT_TRUE(logic.ReplaceNext());
  EXPECT_TRUE(logic.DigitsEnabled());

  // Empty entry: the message, nothing else changes.
  logic.SetUp(kTenkeyInteger, 1, 50, 2, 0, QStringLiteral("5"));
  logic.BackspaceClick();
  result = logic.EnterClick();
  EXPECT_EQ(result.message, kEmptyMessage);
  EXPECT_FALSE(logic.ReplaceNext());
  EXPECT_FALSE(logic.Confirmed());

  // Not a number: the conversion error, the entry stays as it was.
  logic.SetUp(kTenkeyDecimal, -10, 10, 4, 1, QString());
  logic.MinusClick();
  result = logic.EnterClick();
  EXPECT_FALSE(result.accepted);
  EXPECT_EQ(result.message, QStringLiteral("'-' is not a valid floating point value"));
  EXPECT_EQ(logic.Entry(), QStringLiteral("-"));
  EXPECT_FALSE(logic.ReplaceNext());

  logic.SetUp(kTenkeyInteger, 0, 100, 3, 0, QString());
  logic.NumberPress(u'1');
  logic.NumberPress(u'a');
  EXPECT_EQ(logic.Entry(), QStringLiteral("1A"));
  EXPECT_EQ(logic.EnterClick().message, QStringLiteral("'1A' is not a valid floating point value"));
}

TEST(TenkeyLogicEnter, IntegerResultIsThePlainNumber) {
  TenkeyLogic logic;
  logic.SetUp(kTenkeyInteger, -100, 100, 3, 0, QStringLiteral("007"));
  EXPECT_TRUE(logic.EnterClick().accepted);
  EXPECT_EQ(logic.Entry(), QStringLiteral("7"));
  logic.SetUp(kTenkeyInteger, -100, 100, 3, 0, QStringLiteral("-0"));
  EXPECT_TRUE(logic.EnterClick().accepted);
  EXPECT_EQ(logic.Entry(), QStringLiteral("0"));
}

TEST(TenkeyLogicHex, ConvertsPositionallyShowsLimitsInHexAndKeepsTheText) {
  TenkeyLogic logic;
  logic.SetUp(kTenkeyHex, 0, 31, 4, 0, QStringLiteral("0"));
  EXPECT_EQ(logic.MinText(), QStringLiteral("0000"));
  EXPECT_EQ(logic.MaxText(), QStringLiteral("001F"));
  EXPECT_TRUE(logic.HexEnabled());
  EXPECT_TRUE(logic.DotEnabled());
  EXPECT_TRUE(logic.MinusEnabled());
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

  EXPECT_DOUBLE_EQ(HexEntryValue(QStringLiteral("1F")), 31);
  EXPECT_DOUBLE_EQ(HexEntryValue(QStringLiteral("ff")), 255);
  EXPECT_DOUBLE_EQ(HexEntryValue(QStringLiteral("1G")), 16);  // keeps its place, adds nothing
  EXPECT_DOUBLE_EQ(HexEntryValue(QStringLiteral("-1")), 1);
  EXPECT_DOUBLE_EQ(HexEntryValue(QString(40, u'F')), std::pow(16.0, 40) - 1);
}

TEST(TenkeyLogicText, RangeIsShownAsDashes) {
  TenkeyLogic logic;
  logic.SetUp(kTenkeyText, -5, 5, 8, 0, QString());
  EXPECT_EQ(logic.MinText(), QStringLiteral("------"));
  EXPECT_EQ(logic.MaxText(), QStringLiteral("------"));
  EXPECT_EQ(logic.DigitText(), QStringLiteral("8"));
}

TEST(TenkeyNumberText, FixedFormatRoundsToSignificantDigitsAndDecimals) {
  EXPECT_EQ(FormatFixed(1.5, 10, 3), QStringLiteral("1.500"));
  EXPECT_EQ(FormatFixed(-99998.999, 10, 3), QStringLiteral("-99998.999"));
  EXPECT_EQ(FormatFixed(123.456, 4, 2), QStringLiteral("123.50"));
  EXPECT_EQ(FormatFixed(9.9996, 4, 3), QStringLiteral("10.000"));
  EXPECT_EQ(FormatFixed(9.9996, 10, 3), QStringLiteral("10.000"));
  EXPECT_EQ(FormatFixed(0.001, 7, 3), QStringLiteral("0.001"));
  EXPECT_EQ(FormatFixed(0.0123456, 3, 6), QStringLiteral("0.012300"));
  EXPECT_EQ(FormatFixed(-0.0001, 5, 3), QStringLiteral("0.000"));
  EXPECT_EQ(FormatFixed(50, 2, 0), QStringLiteral("50"));
  EXPECT_EQ(FormatFixed(123456, 3, 0), QStringLiteral("1.23E+05"));
  EXPECT_EQ(FormatGeneral(1234567), QStringLiteral("1234567"));
  EXPECT_EQ(FormatGeneral(-0.25), QStringLiteral("-0.25"));
}

TEST(TenkeyNumberText, DecimalEntryMustBeAWholeNumber) {
  for (const char* bad : {"", " ", "-", ".", "-.", "1A", "1e", "1.2.3", "nan", "inf", "1 2"}) {
    EXPECT_FALSE(ParseDecimalEntry(QString::fromLatin1(bad)).has_value()) << bad;
  }
  EXPECT_EQ(ParseDecimalEntry(QStringLiteral(" 2.5 ")), 2.5);
  EXPECT_EQ(ParseDecimalEntry(QStringLiteral(".5")), 0.5);
  EXPECT_EQ(ParseDecimalEntry(QStringLiteral("5.")), 5.0);
  EXPECT_EQ(ParseDecimalEntry(QStringLiteral("-1E3")), -1000.0);
  EXPECT_EQ(ParseDecimalEntry(QStringLiteral("1E999")), std::numeric_limits<double>::infinity());
}

TEST(TenkeyKeyboard, ShiftAndCapsRewriteTheCaptionsAndTheStateSurvivesSetUp) {
  TenkeyLogic logic;
  logic.ApplyKeyboardState();  // as the dialog does when it is shown
  EXPECT_EQ(Captions(logic, 0), QStringLiteral("1234567890-^\\"));
  EXPECT_EQ(Captions(logic, 1), QStringLiteral("qwertyuiop@["));
  EXPECT_EQ(Captions(logic, 2), QStringLiteral("asdfghjkl;:]"));
  EXPECT_EQ(Captions(logic, 3), QStringLiteral("zxcvbnm,./_"));

  logic.ShiftClick();
  EXPECT_EQ(logic.KeyboardState(), 1);
  EXPECT_EQ(logic.Caption(0), QStringLiteral("!"));
  EXPECT_EQ(logic.Caption(5), QStringLiteral("&&"));
  EXPECT_EQ(Captions(logic, 0), QStringLiteral("!\"#$%&'()0=~|"));
  EXPECT_EQ(Captions(logic, 1), QStringLiteral("qwertyuiop`{"));
  EXPECT_EQ(Captions(logic, 2), QStringLiteral("asdfghjkl+*}"));
  EXPECT_EQ(Captions(logic, 3), QStringLiteral("zxcvbnm<>?_"));

  logic.CapsClick();
  EXPECT_EQ(logic.KeyboardState(), 3);
  EXPECT_EQ(Captions(logic, 1), QStringLiteral("QWERTYUIOP`{"));
  logic.ShiftClick();
  EXPECT_EQ(logic.KeyboardState(), 2);
  EXPECT_EQ(Captions(logic, 0), QStringLiteral("1234567890-^\\"));
  EXPECT_EQ(Captions(logic, 3), QStringLiteral("ZXCVBNM,./_"));

  logic.SetUp(kTenkeyText, 0, 0, 5, 0, QString());
  logic.ApplyKeyboardState();
  EXPECT_EQ(logic.KeyboardState(), 2);
  EXPECT_TRUE(logic.CapsOn());
  EXPECT_FALSE(logic.ShiftOn());
  EXPECT_EQ(Captions(logic, 2), QStringLiteral("ASDFGHJKL;:]"));
}

TEST(TenkeyKeyboard, CaptionRuleLeavesLongCaptionsAndUnpairedKeysAlone) {
  for (const char* caption : {"Caps", "Shift", "Space", "BS", "RET", "Clear", "Cancel", "0", "_"}) {
    const QString text = QString::fromLatin1(caption);
    EXPECT_EQ(KeyboardCaption(text, true, true), text);
    EXPECT_EQ(KeyboardCaption(text, false, false), text);
  }
  EXPECT_EQ(KeyboardCaption(QStringLiteral("&&"), false, false), QStringLiteral("6"));
  EXPECT_EQ(KeyboardCaption(QStringLiteral("6"), false, true), QStringLiteral("&&"));
}

}  // namespace
}  // namespace orvelle
