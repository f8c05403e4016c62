#include "platform/Dialogs.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>

#include "data/Message.h"
#include "platform/Controls.h"

namespace orvelle {
namespace {

std::optional<QString> RunFileDialog(QWidget* parent, const FileDialogSpec& spec, bool save) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilter(ToQtFilter(spec.filter));
  dialog.setDefaultSuffix(spec.defaultExtension);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !spec.confirmOverwrite);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

// A box opened while a command shows the wait cursor still needs the ordinary pointer.
class ArrowCursorWhileOpen {
 public:
  ArrowCursorWhileOpen() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
  ~ArrowCursorWhileOpen() { QApplication::restoreOverrideCursor(); }
  ArrowCursorWhileOpen(const ArrowCursorWhileOpen&) = delete;
  ArrowCursorWhileOpen& operator=(const ArrowCursorWhileOpen&) = delete;
};

}  // namespace

DialogHooks& PlatformHooks() {
  static DialogHooks hooks;
  return hooks;
}

QString ToQtFilter(const QString& filter) {
  const QStringList parts = filter.split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString pattern = parts[i + 1];
    pattern.replace(';', ' ');
    filters << parts[i] + " (" + pattern + ")";
  }
  return filters.join(";;");
}

std::optional<QString> ShowOpenDialog(QWidget* parent, const FileDialogSpec& spec) {
  if (PlatformHooks().openFile) return PlatformHooks().openFile(spec);
  return RunFileDialog(parent, spec, false);
}

std::optional<QString> ShowSaveDialog(QWidget* parent, const FileDialogSpec& spec) {
  if (PlatformHooks().saveFile) return PlatformHooks().saveFile(spec);
  return RunFileDialog(parent, spec, true);
}

std::optional<ColorRef> ShowColorDialog(QWidget* parent, ColorRef initial) {
  if (PlatformHooks().chooseColor) return PlatformHooks().chooseColor(initial);
  const QColor chosen = QColorDialog::getColor(ToQColor(initial), parent);
  if (!chosen.isValid()) return std::nullopt;
  return ToColorRef(chosen);
}

void ShowMessageBox(const QString& caption, const QString& text) {
  if (PlatformHooks().messageBox) {
    PlatformHooks().messageBox(caption, text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok,
                  QApplication::activeWindow());
  const ArrowCursorWhileOpen arrow;
  box.exec();
}

bool AskQuestion(const QString& caption, const QString& text, QuestionButtons buttons) {
  if (PlatformHooks().question) return PlatformHooks().question(caption, text, buttons);
  const bool okCancel = buttons == QuestionButtons::OkCancel;
  const auto yes = okCancel ? QMessageBox::Ok : QMessageBox::Yes;
  const auto no = okCancel ? QMessageBox::Cancel : QMessageBox::No;
  QMessageBox box(QMessageBox::Question, caption, text, yes | no, QApplication::activeWindow());
  const ArrowCursorWhileOpen arrow;
  return box.exec() == yes;
}

QString ClipboardText() {
  if (PlatformHooks().clipboardText) return PlatformHooks().clipboardText();
  return QApplication::clipboard()->text();
}

void SetClipboardText(const QString& text) {
  if (PlatformHooks().setClipboardText) return PlatformHooks().setClipboardText(text);
  QApplication::clipboard()->setText(text);
}

QImage ClipboardImage() {
  if (PlatformHooks().clipboardImage) return PlatformHooks().clipboardImage();
  return QApplication::clipboard()->image();
}

void SetClipboardImage(const QImage& image) {
  if (PlatformHooks().setClipboardImage) return PlatformHooks().setClipboardImage(image);
  QApplication::clipboard()->setMimeData(MakeImageMimeData(image));
}

QMimeData* MakeImageMimeData(const QImage& image) {
  auto* data = new QMimeData;
  data->setImageData(image);
  // Programs that do not speak Qt's image type paste the PNG bytes.
  QByteArray png;
  QBuffer buffer(&png);
  if (buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG"))
    data->setData(QStringLiteral("image/png"), png);
  return data;
}

void InstallMessageBoxHandler() {
  SetMessageHandler([](const std::string& text) {
    ShowMessageBox(QString::fromLatin1(kApplicationTitle), QString::fromStdString(text));
  });
}

}  // namespace orvelle
