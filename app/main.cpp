// The orvelle program: the main window, opening the THK file named on the command line.
#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <cstring>

#include "app/Keypad.h"
#include "app/Main.h"
#include "data/Platform.h"
#include "dialogs/Input.h"
#include "platform/Dialogs.h"

namespace {

constexpr char kUsage[] =
    "usage: orvelle [FILE]\n"
    "  FILE       a THK data file opened at start\n"
    "  --version  the program's version\n";
constexpr char kVersionLine[] = "orvelle " ORVELLE_VERSION "\n";

}  // namespace

int main(int argc, char** argv) {
  orvelle::UseBinaryStandardStreams();
  // Answered before the application object exists, so that they work without a display.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::fputs(kVersionLine, stdout);
    return 0;
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(orvelle::kApplicationTitle));
  // Lets the desktop match the window to the installed entry, for its icon and name.
  QApplication::setDesktopFileName(QStringLiteral("orvelle"));

  const QStringList args = QApplication::arguments().mid(1);
  if (args.size() == 1 && args.front() == "--version") {
    std::fputs(kVersionLine, stdout);
    return 0;
  }
  if (args.contains("-h") || args.contains("--help") || args.size() > 1) {
    std::fputs(kUsage, args.size() > 1 ? stderr : stdout);
    return args.size() > 1 ? 2 : 0;
  }

  orvelle::InstallMessageBoxHandler();
  orvelle::TForm1 form;
  orvelle::TTenkey keypad(&form);
  orvelle::SetKeypadHook([&keypad](const orvelle::ParamLimits& limits,
                                   const QString& start) -> std::optional<QString> {
    if (!keypad.Execute(limits.kind, limits.min, limits.max, limits.maxDigits, limits.decimals,
                        start))
      return std::nullopt;
    return keypad.Entry();
  });
  // The settings could be neither read nor created: the message has been shown, the program ends.
  if (form.TerminateRequested()) return 1;

  form.show();
  if (!args.isEmpty()) form.OpenFileAtStart(args.front());
  const int status = app.exec();
  orvelle::SetKeypadHook({});
  return status;
}
