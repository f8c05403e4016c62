// STAND-IN for the data input keypad until it is merged: the same interface, a plain line edit.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

namespace orvelle {

class TTenkey : public QDialog {
  Q_OBJECT
 public:
  explicit TTenkey(QWidget* parent = nullptr);

  // Shows the dialog modally for one value of `kind` (0 integer, 1 real) within
  // minValue..maxValue, at most maxDigits characters. True when confirmed; then Entry() holds it.
  bool Execute(int kind, double minValue, double maxValue, int maxDigits, int decimals,
               const QString& startText);
  QString Entry() const { return entry_; }

 private:
  QLineEdit* edit_;
  QString entry_;
};

}  // namespace orvelle
