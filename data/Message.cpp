#include "data/Message.h"

#include <cstdio>

namespace orvelle {
namespace {
MessageHandler& Handler() {
  static MessageHandler handler;
  return handler;
}
}  // namespace

void ShowMessage(const std::string& text) {
  if (Handler()) {
    Handler()(text);
  } else {
    std::fprintf(stderr, "%s\n", text.c_str());
  }
}

MessageHandler SetMessageHandler(MessageHandler handler) {
  MessageHandler old = std::move(Handler());
  Handler() = std::move(handler);
  return old;
}

}  // namespace orvelle
