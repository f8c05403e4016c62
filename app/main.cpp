// The orvelle program: the main window, opening the THK file named on the command line.
#include <QApplication>
#include <QStringList>
#include <cstdio>

#include "app/Keypad.h"
#include "app/Main.h"
#include "dialogs/Input.h"
#include "platform/Dialogs.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(orvelle::kApplicationTitle));
  // Lets the desktop match the window to the installed entry, for its icon and name.
  QApplication::setDesktopFileName(QStringLiteral("orvelle"));

  const QStringList args = QApplication::arguments().mid(1);
  if (args.contains("-h") || args.contains("--help") || args.size() > 1) {
    std::fprintf(args.size() > 1 ? stderr : stdout,
                 "usage: orvelle [FILE]\n  FILE  a THK data file opened at start\n");
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
