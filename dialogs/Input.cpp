// STAND-IN for the data input keypad until it is merged.
#include "dialogs/Input.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace orvelle {

TTenkey::TTenkey(QWidget* parent) : QDialog(parent), edit_(new QLineEdit(this)) {
  setWindowTitle("Data Input");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(edit_);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool TTenkey::Execute(int kind, double minValue, double maxValue, int maxDigits, int decimals,
                      const QString& startText) {
  edit_->setMaxLength(maxDigits);
  edit_->setText(startText);
  while (exec() == QDialog::Accepted) {
    bool ok = false;
    const double v = edit_->text().toDouble(&ok);
    if (ok && v >= minValue && v <= maxValue && (kind != 0 || edit_->text().toInt(&ok), ok)) {
      entry_ = kind == 1 ? QString::number(v, 'f', decimals) : edit_->text();
      return true;
    }
  }
  return false;
}

}  // namespace orvelle
