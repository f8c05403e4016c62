// The one call the window makes into the data input keypad, behind a hook that tests answer.
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "data/ViewerParams.h"

class QWidget;

namespace orvelle {

// Opens the keypad modally with the entry's limits and `startText`; the confirmed text (already
// checked against the limits), or nothing when the user cancelled.
using KeypadHook =
    std::function<std::optional<QString>(const ParamLimits& limits, const QString& startText)>;

// Installs a hook and returns the previous one; an empty hook restores the real keypad.
KeypadHook SetKeypadHook(KeypadHook hook);

// Runs the installed hook, or the keypad dialog (parented to `parent`) when none is installed.
std::optional<QString> RunKeypad(QWidget* parent, const ParamLimits& limits,
                                 const QString& startText);

}  // namespace orvelle
