#include "WindowFixture.h"

#include <QTest>

namespace orvelle::test {
namespace {

// The next queued answer; the empty answer (cancel) when none is queued.
template <class T>
T Next(std::deque<T>& answers) {
  if (answers.empty()) return T{};
  T answer = std::move(answers.front());
  answers.pop_front();
  return answer;
}

// A null text stands for cancel.
std::optional<QString> NextText(std::deque<QString>& answers) {
  const QString answer = Next(answers);
  if (answer.isNull()) return std::nullopt;
  return answer;
}

}  // namespace

void WindowTest::SetUp() {
  DialogHooks& hooks = PlatformHooks();
  hooks = {};
  hooks.openFile = [this](const FileDialogSpec& spec) -> std::optional<QString> {
    openCalls.push_back(spec);
    return NextText(openAnswers);
  };
  hooks.chooseColor = [this](ColorRef) { return Next(colorAnswers); };
  hooks.question = [this](const QString& caption, const QString& text, QuestionButtons) {
    questionCalls.push_back({caption, text});
    return Next(questionAnswers);
  };
  hooks.messageBox = [](const QString&, const QString& text) {
    ADD_FAILURE() << "unexpected message box: " << text.toStdString();
  };
  hooks.clipboardText = [this] { return clipboard; };
  SetKeypadHook([this](const ParamLimits& limits, const QString& start) -> std::optional<QString> {
    keypadCalls.push_back({limits, start});
    return NextText(keypadAnswers);
  });
}

void WindowTest::TearDown() {
  window.reset();
  PlatformHooks() = {};
  SetKeypadHook({});
}

TForm1& WindowTest::MakeWindow(const QString& exeDir) {
  window = std::make_unique<TForm1>(exeDir.isEmpty() ? Dir() : exeDir);
  return *window;
}

void WindowTest::OpenThroughDialog(const std::string& path) {
  openAnswers.push_back(QString::fromStdString(path));
  QTest::mouseClick(Find<QWidget>("Btn_Open"), Qt::LeftButton);
}

void WindowTest::TypeIntoLabel(const char* name, std::optional<QString> answer) {
  keypadAnswers.push_back(answer.value_or(QString()));
  QTest::mouseDClick(Find<QWidget>(name), Qt::LeftButton);
  keypadAnswers.clear();
}

void WindowTest::PickColor(const char* name, std::optional<ColorRef> answer) {
  colorAnswers.push_back(answer);
  QTest::mouseClick(Find<QWidget>(name), Qt::LeftButton);
  colorAnswers.clear();
}

}  // namespace orvelle::test
