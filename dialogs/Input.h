// The data input keypad: a modal dialog titled "Data Input" for one integer, decimal, text or
// hexadecimal value within limits, typed on its buttons or on the physical keyboard.
#pragma once

#include <array>
#include <functional>

#include <QDialog>
#include <QString>

#include "dialogs/TenkeyLogic.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orvelle {

class TTenkey : public QDialog {
  Q_OBJECT

 public:
  using MessageFunction = std::function<void(const QString& text)>;

  // Builds every control once; the dialog is reused for each entry. Installs the Japanese font
  // substitution so that the keypad's messages render.
  explicit TTenkey(QWidget* parent = nullptr);

  // Sets the dialog up for the kind (0 integer, 1 decimal, 2 text, 3 hexadecimal) and limits,
  // shows it modally, and returns whether the entry was confirmed with ENT. After true, Entry()
  // holds the formatted value (kinds 0 and 1) or the text as typed (kinds 2 and 3).
  bool Execute(int kind, double minValue, double maxValue, int maxDigits, int decimals,
               const QString& startText);
  QString Entry() const { return logic_.Entry(); }

  // The set-up Execute does before showing: state, key enabling, widths, range labels.
  void SetUp(int kind, double minValue, double maxValue, int maxDigits, int decimals,
             const QString& startText);

  // Replaces the function that shows the keypad's messages (by default a message box captioned
  // with the application title) and returns the previous one; an empty function restores the
  // default.
  MessageFunction SetMessageFunction(MessageFunction function);

  const TenkeyLogic& Logic() const { return logic_; }

  // Maps the Japanese proportional Gothic font name onto the free Japanese Gothic installed on
  // the system. Idempotent.
  static void InstallJapaneseFontSubstitution();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption, int x,
                          int y, int width, int height);
  void BuildNumericPad();
  void BuildKeyboard();
  void Btn_EnterClick();
  void Btn_CancelClick();
  void ShowKeypadMessage(const QString& text);
  // Copies the entry, the keys' enabled state, the keyboard captions and the indicators into the
  // controls.
  void SyncControls();
  // Runs a key action of the logic and refreshes the controls.
  void Run(const std::function<void()>& action);

  TenkeyLogic logic_;
  MessageFunction messageFunction_;

  QLineEdit* MaskEdit1 = nullptr;
  QLabel* Lbl_Digit = nullptr;
  QLabel* Lbl_Min = nullptr;
  QLabel* Lbl_Max = nullptr;
  QGroupBox* Grp_Range = nullptr;
  std::array<QPushButton*, 10> digitButtons_{};
  std::array<QPushButton*, 6> hexButtons_{};
  QPushButton* Btn_Dot = nullptr;
  QPushButton* Btn_Minus = nullptr;
  QPushButton* Btn_BS = nullptr;
  QPushButton* Btn_Clear = nullptr;
  QPushButton* Btn_Enter = nullptr;
  QPushButton* Btn_Cancel = nullptr;
  QGroupBox* Grp_KeyBoard = nullptr;
  std::array<QPushButton*, kKeyboardKeyCount> keyboardButtons_{};
  QLabel* Shp_Caps = nullptr;
  QLabel* Shp_Shift = nullptr;
};

}  // namespace orvelle
