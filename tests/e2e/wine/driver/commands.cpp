#include "tests/e2e/wine/driver/commands.h"

namespace driver {

Reply CommandTable::run(const Args& args) const {
  const auto found = commands_.find(args.name());
  if (found == commands_.end()) throw Failure("unknown command '" + args.name() + "'");
  return found->second(args);
}

HWND window_arg(const Args& args, std::size_t i) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(args.number(i)));
}

std::string window_text(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

}  // namespace driver
