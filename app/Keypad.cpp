#include "app/Keypad.h"

#include "dialogs/Input.h"

namespace orvelle {
namespace {
KeypadHook& Hook() {
  static KeypadHook hook;
  return hook;
}
}  // namespace

KeypadHook SetKeypadHook(KeypadHook hook) {
  KeypadHook old = std::move(Hook());
  Hook() = std::move(hook);
  return old;
}

std::optional<QString> RunKeypad(QWidget* parent, const ParamLimits& limits,
                                 const QString& startText) {
  if (Hook()) return Hook()(limits, startText);
  TTenkey keypad(parent);
  if (!keypad.Execute(limits.kind, limits.min, limits.max, limits.maxDigits, limits.decimals,
                      startText))
    return std::nullopt;
  return keypad.Entry();
}

}  // namespace orvelle
