// The prefix's registry: "HKCU\..." or "HKLM\..." key paths.
#include <vector>

#include "tests/e2e/wine/driver/commands.h"

namespace driver {
namespace {

struct KeyPath {
  HKEY root;
  std::string subkey;
};

KeyPath key_arg(const Args& args, std::size_t i) {
  const std::string& path = args.text(i);
  const std::size_t slash = path.find('\\');
  const std::string root = path.substr(0, slash);
  const std::string subkey = slash == std::string::npos ? std::string() : path.substr(slash + 1);
  if (root == "HKCU") return KeyPath{HKEY_CURRENT_USER, subkey};
  if (root == "HKLM") return KeyPath{HKEY_LOCAL_MACHINE, subkey};
  throw Failure("key '" + path + "' is not under HKCU or HKLM");
}

class Key {
 public:
  Key(const KeyPath& path, bool create) {
    const LSTATUS status = create ? RegCreateKeyExA(path.root, path.subkey.c_str(), 0, nullptr, 0,
                                                    KEY_ALL_ACCESS, nullptr, &key_, nullptr)
                                  : RegOpenKeyExA(path.root, path.subkey.c_str(), 0, KEY_READ, &key_);
    if (status != ERROR_SUCCESS) key_ = nullptr;
  }
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// type=dword value=<decimal> | type=sz value=<text> | type=<number> size=<bytes>
Reply describe_value(DWORD type, const std::vector<BYTE>& data) {
  Reply reply;
  if (type == REG_DWORD && data.size() == 4) {
    DWORD value = 0;
    memcpy(&value, data.data(), 4);
    return reply.add("type", "dword").add("value", value);
  }
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    std::string text(data.begin(), data.end());
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return reply.add("type", "sz").add("value", text);
  }
  return reply.add("type", type).add("size", static_cast<std::uint64_t>(data.size()));
}

Reply list_values(const Args& args) {
  const Key key(key_arg(args, 0), false);
  if (!key.get()) return Reply().add("missing", 1);
  Reply reply;
  DWORD index = 0;
  for (;; ++index) {
    char name[256];
    DWORD name_size = sizeof name;
    BYTE data[1024];
    DWORD data_size = sizeof data;
    DWORD type = 0;
    if (RegEnumValueA(key.get(), index, name, &name_size, nullptr, &type, data, &data_size) != ERROR_SUCCESS)
      break;
    const std::string prefix = "v" + std::to_string(index) + ".";
    reply.add(prefix + "name", name)
        .add_all(prefix, describe_value(type, std::vector<BYTE>(data, data + data_size)));
  }
  return reply.add("count", index);
}

// reg-set <key> <name> dword <number> | reg-set <key> <name> sz <text>
Reply set_value(const Args& args) {
  const Key key(key_arg(args, 0), true);
  if (!key.get()) throw Failure("cannot create key " + args.text(0));
  LSTATUS status;
  if (args.text(2) == "dword") {
    const auto value = static_cast<DWORD>(args.number(3));
    status = RegSetValueExA(key.get(), args.text(1).c_str(), 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&value), sizeof value);
  } else if (args.text(2) == "sz") {
    const std::string& text = args.text(3);
    status = RegSetValueExA(key.get(), args.text(1).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>(text.size() + 1));
  } else {
    throw Failure("unknown value type " + args.text(2));
  }
  if (status != ERROR_SUCCESS) throw Failure("RegSetValueExA failed with " + std::to_string(status));
  return Reply();
}

}  // namespace

void add_registry_commands(CommandTable& table) {
  table.add("reg-values", list_values);
  table.add("reg-set", set_value);
  // reg-delete <key>: the key with everything under it; a missing key is no error.
  table.add("reg-delete", [](const Args& args) {
    const KeyPath path = key_arg(args, 0);
    const LSTATUS status = RegDeleteTreeA(path.root, path.subkey.c_str());
    return Reply().add("deleted", status == ERROR_SUCCESS ? 1 : 0);
  });
}

}  // namespace driver
