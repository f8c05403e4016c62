// The keypad dialog itself: its named controls and sizes per kind, entries typed on its buttons
// and on the physical keyboard (main block and numeric keypad), the messages of ENT, the modal
// run with ENT, cancel and close, and the keyboard's Caps/Shift.
#include <gtest/gtest.h>

#include <cstdlib>

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
  // Clicks the buttons named in `names`, separated by blanks.
  void Click(const char* names) {
    for (const QString& name : QString::fromLatin1(names).split(u' ')) {
      if (QPushButton* button = Button(name.toLatin1().constData())) {
        QTest::mouseClick(button, Qt::LeftButton);
      }
    }
  }
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(&dialog, key, modifiers);
  }
  QGroupBox* Keyboard() { return dialog.findChild<QGroupBox*>(QStringLiteral("Grp_KeyBoard")); }
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

TEST_F(TenkeyDialogTest, NamedControlsWidthsAndKeysFollowTheKind) {
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Data Input"));
  const char* names[] = {"Btn_0",      "Btn_9",      "Btn_Dot",   "Btn_Minus", "Btn_Clear",
                         "Btn_Enter",  "Btn_Cancel", "Btn_BS",    "Btn_A",     "Btn_F",
                         "Btn_Caps",   "Btn_Shift",  "Btn_Space", "Btn_BS2",   "Btn_Ret",
                         "Btn_Clear2", "Btn_Cancel2"};
  for (const char* name : names) EXPECT_EQ(Button(name)->focusPolicy(), Qt::NoFocus) << name;
  EXPECT_EQ(Button("Btn_Clear")->text(), QStringLiteral("CLR"));
  EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("Shp_Shift"))->text(),
            QStringLiteral("SHIFT"));
  EXPECT_EQ(Keyboard()->findChildren<QPushButton*>().size(), 48 + 7);
  EXPECT_FALSE(Edit()->isEnabled());

  Open(kTenkeyInteger, 1, 50, 2, 0, QStringLiteral("10"));
  EXPECT_EQ(dialog.width(), 217);
  EXPECT_EQ(Edit()->width(), 193);
  EXPECT_FALSE(Keyboard()->isVisible() || Button("Btn_A")->isVisible());
  EXPECT_FALSE(Button("Btn_Dot")->isEnabled() || Button("Btn_Minus")->isEnabled());
  EXPECT_EQ(Shown(), QStringLiteral("10"));
  EXPECT_EQ(LabelText("Lbl_Digit") + LabelText("Lbl_Min") + LabelText("Lbl_Max"),
            QStringLiteral("2"
                           "1"
                           "50"));

  Open(kTenkeyDecimal, -99999.9, 99999.9, 8, 2, QStringLiteral("0.00"));
  EXPECT_EQ(dialog.width(), 217);
  EXPECT_TRUE(Button("Btn_Dot")->isEnabled() && Button("Btn_Minus")->isEnabled());
  EXPECT_EQ(LabelText("Lbl_Min"), QStringLiteral("-99999.90"));

  Open(kTenkeyText, 0, 0, 20, 0, QStringLiteral("name"));
  EXPECT_EQ(dialog.width(), 618);
  EXPECT_EQ(Edit()->width(), 593);
  EXPECT_TRUE(Keyboard()->isVisible() && Button("Btn_Minus")->isEnabled());
  EXPECT_TRUE(dialog.rect().contains(Keyboard()->geometry()));
  EXPECT_GT(Keyboard()->geometry().left(), Button("Btn_BS")->geometry().right());

  Open(kTenkeyHex, 0, 255, 2, 0, QStringLiteral("0"));
  EXPECT_EQ(dialog.width(), 217);
  EXPECT_FALSE(Keyboard()->isVisible());
  EXPECT_TRUE(Button("Btn_F")->isVisible() && Button("Btn_F")->isEnabled());
  EXPECT_TRUE(dialog.rect().contains(Button("Btn_F")->geometry()));
  EXPECT_EQ(LabelText("Lbl_Max"), QStringLiteral("FF"));
}

TEST_F(TenkeyDialogTest, IntegerSequenceOnTheButtons) {
  Open(kTenkeyInteger, 1, 50, 2, 0, QStringLiteral("10"));
  Click("Btn_7");
  EXPECT_EQ(Shown(), QStringLiteral("7"));  // replaces the start text
  Click("Btn_5 Btn_3");
  EXPECT_EQ(Shown(), QStringLiteral("75"));
  EXPECT_FALSE(Button("Btn_3")->isEnabled());
  Click("Btn_Enter");
  EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("設定値が範囲外です。")});
  EXPECT_TRUE(dialog.isVisible() && Button("Btn_3")->isEnabled());
  Click("Btn_3");
  EXPECT_EQ(Shown(), QStringLiteral("3"));
  // Through the window, as the window system delivers it to the disabled edit.
  QTest::mouseDClick(dialog.windowHandle(), Qt::LeftButton, {}, Edit()->geometry().center());
  Click("Btn_4 Btn_BS Btn_Enter");
  EXPECT_EQ(Shown(), QString());
  EXPECT_EQ(messages.back(), QStringLiteral("ﾃﾞｰﾀを入力して下さい。"));
}

TEST_F(TenkeyDialogTest, DecimalSequenceOnTheNumericKeypad) {
  Open(kTenkeyDecimal, -99998.999, 99999.9, 10, 3, QStringLiteral("12.000"));
  for (Qt::Key key : {Qt::Key_Minus, Qt::Key_1, Qt::Key_Period, Qt::Key_5, Qt::Key_Period}) {
    Press(key, Qt::KeypadModifier);
  }
  Press(Qt::Key_Period);
  EXPECT_EQ(Shown(), QStringLiteral("-1.5"));
  EXPECT_FALSE(Button("Btn_Dot")->isEnabled() || Button("Btn_Minus")->isEnabled());
  Press(Qt::Key_Backspace);
  Press(Qt::Key_Delete);
  EXPECT_EQ(Shown(), QStringLiteral("-1"));
  EXPECT_TRUE(Button("Btn_Dot")->isEnabled());
  Press(Qt::Key_Comma, Qt::KeypadModifier);  // the decimal key of a comma-decimal keypad
  Press(Qt::Key_2);
  Press(Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(dialog.Entry(), QStringLiteral("-1.200"));
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(TenkeyDialogTest, MainBlockKeysForHexadecimal) {
  Open(kTenkeyHex, 0, 255, 2, 0, QStringLiteral("0"));
  Press(Qt::Key_A);
  Press(Qt::Key_G);                       // not bound
  Press(Qt::Key_C, Qt::ControlModifier);  // not a plain key
  Press(Qt::Key_B);
  Press(Qt::Key_Escape);  // the keypad ends only with ENT or a cancel button
  EXPECT_TRUE(dialog.isVisible());
  Press(Qt::Key_Return);
  EXPECT_EQ(dialog.Entry(), QStringLiteral("AB"));
}

TEST_F(TenkeyDialogTest, ExecuteReturnsWhetherTheFormattedEntryWasConfirmed) {
  EXPECT_TRUE(RunModal(kTenkeyInteger, 0, 100, 3, 0, QStringLiteral("50"),
                       [this] { Click("Btn_1 Btn_0 Btn_0 Btn_Enter"); }));
  EXPECT_EQ(dialog.Entry(), QStringLiteral("100"));
  EXPECT_FALSE(RunModal(kTenkeyInteger, 0, 100, 3, 0, QStringLiteral("50"),
                        [this] { Click("Btn_7 Btn_Cancel"); }));
  // A refused entry keeps the dialog open; closing it afterwards is no confirmation.
  EXPECT_FALSE(RunModal(kTenkeyInteger, 1, 50, 2, 0, QStringLiteral("10"), [this] {
    Click("Btn_9 Btn_9 Btn_Enter");
    dialog.close();
  }));
  EXPECT_EQ(messages.size(), 1u);
}

TEST_F(TenkeyDialogTest, ShiftAndCapsChangeCaptionsIndicatorsAndStayForTheNextOpening) {
  Open(kTenkeyText, 0, 0, 10, 0, QString());
  EXPECT_EQ(Button("Btn_Key1")->text() + Button("Btn_KeyQ")->text(), QStringLiteral("1q"));
  auto indicator = [this](const char* name) {
    return dialog.findChild<QLabel*>(QString::fromLatin1(name))->palette().color(QPalette::Window);
  };
  EXPECT_EQ(indicator("Shp_Shift"), QColor(Qt::white));
  Click("Btn_Shift");
  EXPECT_EQ(Button("Btn_Key1")->text() + Button("Btn_Key6")->text(), QStringLiteral("!&&"));
  EXPECT_EQ(indicator("Shp_Shift"), QColor(Qt::red));
  Click("Btn_Key1 Btn_Key6");
  Press(Qt::Key_Space);
  Click("Btn_KeyQ Btn_Shift");
  EXPECT_EQ(Shown(), QStringLiteral("!& q"));
  EXPECT_EQ(Button("Btn_Key1")->text() + Button("Btn_Key6")->text(), QStringLiteral("16"));

  Click("Btn_Caps");
  dialog.hide();
  Open(kTenkeyText, 0, 0, 10, 0, QString());
  EXPECT_EQ(Button("Btn_KeyQ")->text(), QStringLiteral("Q"));
  EXPECT_EQ(indicator("Shp_Caps"), QColor(Qt::red));
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
  for (int kind = kTenkeyInteger; kind <= kTenkeyHex; ++kind) {
    Open(kind, -99998.999, 99999.9, 10, 3, QStringLiteral("-12.345"));
    const QString file =
        QStringLiteral("%1/tenkey_kind%2.png").arg(QString::fromLocal8Bit(dir)).arg(kind);
    EXPECT_TRUE(dialog.grab().save(file)) << file.toStdString();
  }
}

}  // namespace
}  // namespace orvelle
