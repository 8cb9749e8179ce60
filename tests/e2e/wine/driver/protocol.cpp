#include "tests/e2e/wine/driver/protocol.h"

#include <cerrno>
#include <cstdlib>

namespace driver {
namespace {

bool is_plain(unsigned char c) { return c > 0x20 && c < 0x7F && c != '%' && c != '='; }

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string percent_encode(const std::string& text) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (is_plain(byte)) {
      out += c;
    } else {
      out += '%';
      out += kDigits[byte >> 4];
      out += kDigits[byte & 0x0F];
    }
  }
  return out;
}

std::string percent_decode(const std::string& word) {
  std::string out;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (word[i] == '%' && i + 2 < word.size() && hex_value(word[i + 1]) >= 0 && hex_value(word[i + 2]) >= 0) {
      out += static_cast<char>(hex_value(word[i + 1]) * 16 + hex_value(word[i + 2]));
      i += 2;
    } else if (word[i] == '%') {
      throw Failure("bad percent escape in '" + word + "'");
    } else {
      out += word[i];
    }
  }
  return out;
}

Args::Args(const std::string& line) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t space = line.find(' ', start);
    words_.push_back(percent_decode(line.substr(start, space - start)));
    if (space == std::string::npos) break;
    start = space + 1;
  }
}

const std::string& Args::text(std::size_t i) const {
  if (i + 1 >= words_.size()) throw Failure(name() + ": argument " + std::to_string(i + 1) + " missing");
  return words_[i + 1];
}

std::uint64_t Args::number(std::size_t i) const {
  const std::string& word = text(i);
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(word.c_str(), &end, 0);
  if (word.empty() || *end != '\0' || errno != 0 || word[0] == '-') {
    throw Failure(name() + ": '" + word + "' is not an unsigned number");
  }
  return value;
}

std::int64_t Args::signed_number(std::size_t i) const {
  const std::string& word = text(i);
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(word.c_str(), &end, 0);
  if (word.empty() || *end != '\0' || errno != 0) {
    throw Failure(name() + ": '" + word + "' is not a number");
  }
  return value;
}

Reply& Reply::add(const std::string& key, const std::string& value) {
  fields_.emplace_back(key, value);
  return *this;
}

Reply& Reply::add_all(const std::string& prefix, const Reply& other) {
  for (const auto& field : other.fields_) fields_.emplace_back(prefix + field.first, field.second);
  return *this;
}

std::string Reply::line() const {
  std::string out = "ok";
  for (const auto& field : fields_) {
    out += ' ';
    out += field.first;
    out += '=';
    out += percent_encode(field.second);
  }
  return out;
}

}  // namespace driver
