// The message hook: every module that reports a failure calls ShowMessage; the program decides
// where the text goes (a message box in the window, a recorder in tests, stderr in the CLI).
#pragma once

#include <functional>
#include <string>

namespace orvelle {

using MessageHandler = std::function<void(const std::string& text)>;

// Shows a message through the installed handler (stderr, one line, when none is installed).
void ShowMessage(const std::string& text);

// Installs a handler and returns the previous one. An empty handler restores the default.
MessageHandler SetMessageHandler(MessageHandler handler);

}  // namespace orvelle
