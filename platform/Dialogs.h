// Common dialogs, message boxes, questions and the clipboard, each behind a hook. An empty hook
// uses the real dialog or clipboard; tests install hooks that answer without a human.
#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <optional>

#include "data/ColorTypes.h"

class QMimeData;
class QWidget;

namespace orvelle {

// The caption of every plain message box: the application title.
inline constexpr char kApplicationTitle[] = "Orvelle";

enum class QuestionButtons { OkCancel, YesNo };

// A file dialog's settings; the filter uses the "description|pattern" pairs of the designed
// dialogs ("THK data file(*.thk)|*.thk").
struct FileDialogSpec {
  QString filter;
  QString defaultExtension;
  bool confirmOverwrite = false;  // save dialogs only
};

struct DialogHooks {
  std::function<std::optional<QString>(const FileDialogSpec&)> openFile;
  std::function<std::optional<QString>(const FileDialogSpec&)> saveFile;
  std::function<std::optional<ColorRef>(ColorRef initial)> chooseColor;
  std::function<void(const QString& caption, const QString& text)> messageBox;
  // Returns true for OK or Yes.
  std::function<bool(const QString& caption, const QString& text, QuestionButtons)> question;
  std::function<QString()> clipboardText;
  std::function<void(const QString&)> setClipboardText;
  std::function<QImage()> clipboardImage;
  std::function<void(const QImage&)> setClipboardImage;
};

// The installed hooks; assign a member to answer that dialog, or reset all with `= {}`.
DialogHooks& PlatformHooks();

// Shows the open dialog; the chosen path, or nothing when cancelled.
std::optional<QString> ShowOpenDialog(QWidget* parent, const FileDialogSpec& spec);
// Shows the save dialog (asks before overwriting when confirmOverwrite is set); nothing when
// cancelled.
std::optional<QString> ShowSaveDialog(QWidget* parent, const FileDialogSpec& spec);
// Shows the colour dialog preset with `initial`; the chosen colour, or nothing when cancelled.
std::optional<ColorRef> ShowColorDialog(QWidget* parent, ColorRef initial);
// A plain message box with an OK button.
void ShowMessageBox(const QString& caption, const QString& text);
// A question; true when the user answered OK or Yes.
bool AskQuestion(const QString& caption, const QString& text, QuestionButtons buttons);

QString ClipboardText();
void SetClipboardText(const QString& text);
QImage ClipboardImage();
// Offers the picture both as Qt's image type and as PNG bytes ("image/png").
void SetClipboardImage(const QImage& image);
// The clipboard content SetClipboardImage offers; the caller owns it.
QMimeData* MakeImageMimeData(const QImage& image);

// Routes ShowMessage to a plain message box captioned with the application title.
void InstallMessageBoxHandler();

// "desc|pattern|desc|pattern" as a Qt name filter list ("desc (pattern);;...").
QString ToQtFilter(const QString& filter);

}  // namespace orvelle
