// The keypad dialog itself: its named controls and sizes per kind, entries typed on its buttons
// and on the physical keyboard (main block and numeric keypad), the messages of ENT, the modal
// run with ENT, cancel and close, and the keyboard's Caps/Shift.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include "dialogs/Input.h"

namespace orvelle {
namespace {

class TenkeyDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    dialog.SetMessageFunction([this](const QString& text) { messages.push_back(text); });
  }

  QPushButton* Button(const char* name) {
    auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(name));
    EXPECT_NE(button, nullptr) << name;
    return button;
  }
  void Click(const char* name) {
    if (QPushButton* button = Button(name)) QTest::mouseClick(button, Qt::LeftButton);
  }
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(&dialog, key, modifiers);
  }
  QLineEdit* Edit() { return dialog.findChild<QLineEdit*>(QStringLiteral("MaskEdit1")); }
  QString Shown() { return Edit()->text(); }
  QString LabelText(const char* name) {
    return dialog.findChild<QLabel*>(QString::fromLatin1(name))->text();
  }
  // Opens the dialog without blocking, as Execute does before it waits.
  void Open(int kind, double minValue, double maxValue, int maxDigits, int decimals,
            const QString& startText) {
    dialog.SetUp(kind, minValue, maxValue, maxDigits, decimals, startText);
    dialog.show();
  }
  // Runs Execute with `steps` done once the dialog waits; a guard ends a run that hangs.
  bool RunModal(int kind, double minValue, double maxValue, int maxDigits, int decimals,
                const QString& startText, const std::function<void()>& steps) {
    QTimer::singleShot(0, &dialog, steps);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &dialog, [this] {
      ADD_FAILURE() << "the dialog was still open";
      dialog.done(QDialog::Rejected);
    });
    guard.start(5000);
    return dialog.Execute(kind, minValue, maxValue, maxDigits, decimals, startText);
  }

  TTenkey dialog;
  std::vector<QString> messages;
};

TEST_F(TenkeyDialogTest, EveryControlCarriesItsNameAndCaption) {
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Data Input"));
  const std::pair<const char*, const char*> buttons[] = {
      {"Btn_0", "0"},
      {"Btn_9", "9"},
      {"Btn_Dot", "."},
      {"Btn_Minus", "-"},
      {"Btn_Clear", "CLR"},
      {"Btn_Enter", "ENT"},
      {"Btn_Cancel", "CAN"},
      {"Btn_BS", "BS"},
      {"Btn_A", "A"},
      {"Btn_F", "F"},
      {"Btn_Caps", "Caps"},
      {"Btn_Shift", "Shift"},
      {"Btn_Space", "Space"},
      {"Btn_BS2", "BS"},
      {"Btn_Ret", "RET"},
      {"Btn_Clear2", "Clear"},
      {"Btn_Cancel2", "Cancel"},
      {"Btn_Key1", "!"},
      {"Btn_Key6", "&&"},
      {"Btn_KeyQ", "Q"},
      {"Btn_KeyUnderscore", "_"},
  };
  for (const auto& [name, caption] : buttons) {
    QPushButton* button = Button(name);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QString::fromLatin1(caption)) << name;
    EXPECT_EQ(button->focusPolicy(), Qt::NoFocus) << name;
  }
  for (const char* name : {"Lbl_Digit", "Lbl_Min", "Lbl_Max", "Shp_Caps", "Shp_Shift"}) {
    EXPECT_NE(dialog.findChild<QLabel*>(QString::fromLatin1(name)), nullptr) << name;
  }
  EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("Shp_Caps"))->text(), QStringLiteral("CAPS"));
  auto* keyboard = dialog.findChild<QGroupBox*>(QStringLiteral("Grp_KeyBoard"));
  ASSERT_NE(keyboard, nullptr);
  EXPECT_EQ(keyboard->title(), QStringLiteral("KeyBoard"));
  EXPECT_EQ(keyboard->findChildren<QPushButton*>().size(), 48 + 7);
  EXPECT_FALSE(Edit()->isEnabled());
  EXPECT_EQ(Edit()->focusPolicy(), Qt::NoFocus);
}

TEST_F(TenkeyDialogTest, WidthsGroupsAndKeysFollowTheKind) {
  Open(kTenkeyInteger, 1, 50, 2, 0, QStringLiteral("10"));
  EXPECT_EQ(dialog.width(), 217);
  EXPECT_EQ(Edit()->width(), 193);
  EXPECT_FALSE(Button("Btn_KeyQ")->isVisible());
  EXPECT_FALSE(Button("Btn_A")->isVisible());
  EXPECT_FALSE(Button("Btn_Dot")->isEnabled());
  EXPECT_FALSE(Button("Btn_Minus")->isEnabled());
  EXPECT_EQ(Shown(), QStringLiteral("10"));
  EXPECT_EQ(LabelText("Lbl_Digit"), QStringLiteral("2"));
  EXPECT_EQ(LabelText("Lbl_Min"), QStringLiteral("1"));
  EXPECT_EQ(LabelText("Lbl_Max"), QStringLiteral("50"));

  Open(kTenkeyDecimal, -99999.9, 99999.9, 8, 2, QStringLiteral("0.00"));
  EXPECT_EQ(dialog.width(), 217);
  EXPECT_TRUE(Button("Btn_Dot")->isEnabled());
  EXPECT_TRUE(Button("Btn_Minus")->isEnabled());
  EXPECT_EQ(LabelText("Lbl_Min"), QStringLiteral("-99999.90"));

  Open(kTenkeyText, 0, 0, 20, 0, QStringLiteral("name"));
  EXPECT_EQ(dialog.width(), 618);
  EXPECT_EQ(Edit()->width(), 593);
  EXPECT_TRUE(Button("Btn_KeyQ")->isVisible());
  EXPECT_TRUE(Button("Btn_Minus")->isEnabled());
  EXPECT_EQ(LabelText("Lbl_Min"), QStringLiteral("------"));
  // The keyboard lies inside the dialog, right of the numeric pad.
  const QRect keyboard = dialog.findChild<QGroupBox*>(QStringLiteral("Grp_KeyBoard"))->geometry();
  EXPECT_TRUE(dialog.rect().contains(keyboard));
  EXPECT_GT(keyboard.left(), Button("Btn_BS")->geometry().right());

  Open(kTenkeyHex, 0, 255, 2, 0, QStringLiteral("0"));
  EXPECT_EQ(dialog.width(), 217);
  EXPECT_FALSE(Button("Btn_KeyQ")->isVisible());
  EXPECT_TRUE(Button("Btn_A")->isVisible());
  EXPECT_TRUE(Button("Btn_F")->isEnabled());
  EXPECT_TRUE(dialog.rect().contains(Button("Btn_F")->geometry()));
  EXPECT_EQ(LabelText("Lbl_Max"), QStringLiteral("FF"));
}

TEST_F(TenkeyDialogTest, IntegerSequenceOnTheButtons) {
  Open(kTenkeyInteger, 1, 50, 2, 0, QStringLiteral("10"));
  Click("Btn_7");
  EXPECT_EQ(Shown(), QStringLiteral("7"));
  Click("Btn_5");
  EXPECT_EQ(Shown(), QStringLiteral("75"));
  EXPECT_FALSE(Button("Btn_3")->isEnabled());
  Click("Btn_3");
  EXPECT_EQ(Shown(), QStringLiteral("75"));
  Click("Btn_Enter");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], QStringLiteral("設定値が範囲外です。"));
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(Button("Btn_3")->isEnabled());
  Click("Btn_3");
  EXPECT_EQ(Shown(), QStringLiteral("3"));
  Click("Btn_BS");
  EXPECT_EQ(Shown(), QString());
  Click("Btn_Enter");
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1], QStringLiteral("ﾃﾞｰﾀを入力して下さい。"));
}

TEST_F(TenkeyDialogTest, DecimalSequenceOnTheNumericKeypad) {
  Open(kTenkeyDecimal, -99998.999, 99999.9, 10, 3, QStringLiteral("12.000"));
  Press(Qt::Key_Minus, Qt::KeypadModifier);
  Press(Qt::Key_1, Qt::KeypadModifier);
  Press(Qt::Key_Period, Qt::KeypadModifier);
  Press(Qt::Key_5, Qt::KeypadModifier);
  Press(Qt::Key_Period, Qt::KeypadModifier);
  Press(Qt::Key_Period);
  EXPECT_EQ(Shown(), QStringLiteral("-1.5"));
  EXPECT_FALSE(Button("Btn_Dot")->isEnabled());
  EXPECT_FALSE(Button("Btn_Minus")->isEnabled());
  Press(Qt::Key_Backspace);
  EXPECT_EQ(Shown(), QStringLiteral("-1."));
  Press(Qt::Key_Delete);
  EXPECT_EQ(Shown(), QStringLiteral("-1"));
  EXPECT_TRUE(Button("Btn_Dot")->isEnabled());
  // A comma-decimal keypad sends a comma from its decimal key.
  Press(Qt::Key_Comma, Qt::KeypadModifier);
  Press(Qt::Key_2);
  EXPECT_EQ(Shown(), QStringLiteral("-1.2"));
  Press(Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(dialog.Entry(), QStringLiteral("-1.200"));
  EXPECT_EQ(Shown(), QStringLiteral("-1.200"));
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(TenkeyDialogTest, MainBlockKeysForHexadecimalAndText) {
  Open(kTenkeyHex, 0, 255, 2, 0, QStringLiteral("0"));
  Press(Qt::Key_A);
  Press(Qt::Key_B);
  EXPECT_EQ(Shown(), QStringLiteral("AB"));
  Press(Qt::Key_G);                       // not bound
  Press(Qt::Key_C, Qt::ControlModifier);  // not a plain key
  EXPECT_EQ(Shown(), QStringLiteral("AB"));
  Press(Qt::Key_Escape);  // the keypad ends only with ENT or a cancel button
  EXPECT_TRUE(dialog.isVisible());
  Press(Qt::Key_Return);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(dialog.Entry(), QStringLiteral("AB"));

  Open(kTenkeyText, 0, 0, 6, 0, QStringLiteral("x"));
  Press(Qt::Key_1);
  Press(Qt::Key_Space);
  Press(Qt::Key_Minus);
  Press(Qt::Key_Period);
  Press(Qt::Key_Period);
  EXPECT_EQ(Shown(), QStringLiteral("1 -.."));
  Click("Btn_KeyA");  // shown and typed as "a" while Caps is off
  EXPECT_EQ(Shown(), QStringLiteral("1 -..a"));
  EXPECT_FALSE(Button("Btn_1")->isEnabled());
  Click("Btn_KeyB");
  EXPECT_EQ(Shown(), QStringLiteral("1 -..a"));
  Click("Btn_BS2");
  Click("Btn_Space");
  EXPECT_EQ(Shown(), QStringLiteral("1 -.. "));
  Click("Btn_Clear2");
  EXPECT_EQ(Shown(), QString());
}

TEST_F(TenkeyDialogTest, DoubleClickOnTheEntryStartsANewEntry) {
  Open(kTenkeyInteger, 0, 100, 3, 0, QStringLiteral("5"));
  Click("Btn_1");
  Click("Btn_2");
  QTest::mouseDClick(Edit(), Qt::LeftButton);
  EXPECT_TRUE(dialog.Logic().ReplaceNext());
  Click("Btn_9");
  EXPECT_EQ(Shown(), QStringLiteral("9"));
}

TEST_F(TenkeyDialogTest, ExecuteReturnsTheConfirmedFormattedEntry) {
  EXPECT_TRUE(RunModal(kTenkeyInteger, 0, 100, 3, 0, QStringLiteral("50"), [this] {
    Click("Btn_1");
    Click("Btn_0");
    Click("Btn_0");
    Click("Btn_Enter");
  }));
  EXPECT_EQ(dialog.Entry(), QStringLiteral("100"));

  EXPECT_TRUE(RunModal(kTenkeyDecimal, 0.001, 999.999, 7, 3, QStringLiteral("1.000"), [this] {
    Press(Qt::Key_Period);
    Press(Qt::Key_2);
    Click("Btn_Ret");
  }));
  EXPECT_EQ(dialog.Entry(), QStringLiteral("0.200"));
  EXPECT_TRUE(messages.empty());
}

TEST_F(TenkeyDialogTest, CancelAndClosingReturnFalse) {
  EXPECT_FALSE(RunModal(kTenkeyInteger, 0, 100, 3, 0, QStringLiteral("50"), [this] {
    Click("Btn_7");
    Click("Btn_Cancel");
  }));
  EXPECT_FALSE(
      RunModal(kTenkeyText, 0, 0, 5, 0, QStringLiteral("abc"), [this] { Click("Btn_Cancel2"); }));
  // A refused entry keeps the dialog open; closing it afterwards is no confirmation.
  EXPECT_FALSE(RunModal(kTenkeyInteger, 1, 50, 2, 0, QStringLiteral("10"), [this] {
    Click("Btn_9");
    Click("Btn_9");
    Click("Btn_Enter");
    dialog.close();
  }));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], QStringLiteral("設定値が範囲外です。"));
}

TEST_F(TenkeyDialogTest, ShiftAndCapsChangeCaptionsIndicatorsAndStayForTheNextOpening) {
  Open(kTenkeyText, 0, 0, 10, 0, QString());
  EXPECT_EQ(Button("Btn_Key1")->text(), QStringLiteral("1"));
  EXPECT_EQ(Button("Btn_KeyQ")->text(), QStringLiteral("q"));
  auto* shiftShape = dialog.findChild<QLabel*>(QStringLiteral("Shp_Shift"));
  EXPECT_EQ(shiftShape->palette().color(QPalette::Window), QColor(Qt::white));

  Click("Btn_Shift");
  EXPECT_EQ(Button("Btn_Key1")->text(), QStringLiteral("!"));
  EXPECT_EQ(Button("Btn_Key6")->text(), QStringLiteral("&&"));
  EXPECT_EQ(shiftShape->palette().color(QPalette::Window), QColor(Qt::red));
  Click("Btn_Key1");
  Click("Btn_Key6");
  Click("Btn_KeyQ");
  EXPECT_EQ(Shown(), QStringLiteral("!&q"));
  Click("Btn_Shift");
  EXPECT_EQ(Button("Btn_Key1")->text(), QStringLiteral("1"));
  EXPECT_EQ(Button("Btn_Key6")->text(), QStringLiteral("6"));

  Click("Btn_Caps");
  EXPECT_EQ(Button("Btn_KeyQ")->text(), QStringLiteral("Q"));
  dialog.hide();
  Open(kTenkeyText, 0, 0, 10, 0, QString());
  EXPECT_EQ(dialog.Logic().KeyboardState(), 2);
  EXPECT_EQ(Button("Btn_KeyQ")->text(), QStringLiteral("Q"));
  EXPECT_EQ(
      dialog.findChild<QLabel*>(QStringLiteral("Shp_Caps"))->palette().color(QPalette::Window),
      QColor(Qt::red));
}

TEST_F(TenkeyDialogTest, DefaultMessageIsABoxCaptionedWithTheTitleInTheJapaneseGothic) {
  dialog.SetMessageFunction(nullptr);
  Open(kTenkeyInteger, 1, 50, 2, 0, QStringLiteral("123"));
  QString title;
  QString text;
  QString family;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    title = box->windowTitle();
    text = box->text();
    family = QFontInfo(box->font()).family();
    if (const char* dir = std::getenv("ORVELLE_SCREENSHOT_DIR")) {
      box->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/tenkey_message.png"));
    }
    box->button(QMessageBox::Ok)->click();
  });
  poll.start(10);
  Click("Btn_Enter");
  EXPECT_EQ(title, QStringLiteral("Orvelle"));
  EXPECT_EQ(text, QStringLiteral("桁数ｵｰﾊﾞｰです。2桁以内で入力して下さい。"));
  EXPECT_EQ(family, QStringLiteral("IPAPGothic"));
}

// Writes pictures of the dialog for a reviewer when ORVELLE_SCREENSHOT_DIR names a directory.
TEST_F(TenkeyDialogTest, Screenshots) {
  const char* dir = std::getenv("ORVELLE_SCREENSHOT_DIR");
  if (!dir) GTEST_SKIP() << "ORVELLE_SCREENSHOT_DIR not set";
  const struct {
    int kind;
    double minValue, maxValue;
    int maxDigits, decimals;
    const char* start;
  } shots[] = {
      {0, 1, 50, 2, 0, "10"},
      {1, -99998.999, 99999.9, 10, 3, "-12.345"},
      {2, 0, 0, 20, 0, "Text"},
      {3, 0, 255, 4, 0, "1F"},
  };
  for (const auto& s : shots) {
    Open(s.kind, s.minValue, s.maxValue, s.maxDigits, s.decimals, QString::fromLatin1(s.start));
    const QString file =
        QStringLiteral("%1/tenkey_kind%2.png").arg(QString::fromLocal8Bit(dir)).arg(s.kind);
    EXPECT_TRUE(dialog.grab().save(file)) << file.toStdString();
  }
}

}  // namespace
}  // namespace orvelle
