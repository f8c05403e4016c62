// A main window built in a fresh directory, with every dialog, question, clipboard read and
// keypad answered by the test and every message recorded.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <deque>
#include <memory>
#include <optional>

#include "app/Keypad.h"
#include "app/Main.h"
#include "platform/Dialogs.h"
#include "support/TestSupport.h"

namespace orvelle::test {

struct KeypadCall {
  ParamLimits limits;
  QString startText;
};

struct QuestionCall {
  QString caption;
  QString text;
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Builds the window with `exeDir` (the fixture's directory when empty).
  TForm1& MakeWindow(const QString& exeDir = QString());
  QString Dir() const { return QString::fromStdString(dir.Path()) + '/'; }
  std::string SettingsFile() const { return dir.File("setting.dat"); }

  template <class T>
  T* Find(const char* name) const {
    T* control = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }

  // Opens a file through the open button, with the dialog answering `path`.
  void OpenThroughDialog(const std::string& path);
  // Double-clicks a numeric label while the keypad answers `answer` (nothing: cancel).
  void TypeIntoLabel(const char* name, std::optional<QString> answer);
  // Clicks a colour swatch while the colour dialog answers `answer` (nothing: cancel).
  void PickColor(const char* name, std::optional<ColorRef> answer);

  TempDir dir;
  MessageRecorder messages;
  std::unique_ptr<TForm1> window;
  std::deque<QString> openAnswers;  // a null text cancels
  std::deque<QString> keypadAnswers;
  std::deque<std::optional<ColorRef>> colorAnswers;
  std::deque<bool> questionAnswers;
  QString clipboard;
  std::vector<KeypadCall> keypadCalls;
  std::vector<QuestionCall> questionCalls;
  std::vector<FileDialogSpec> openCalls;
};

}  // namespace orvelle::test
