// The driver's line protocol with the Python harness.
//
// The harness writes one command per line on standard input: words separated
// by single spaces, each word percent-encoded (%XX) so that it may hold blanks,
// tabs or quotes; an empty word is nothing between two spaces. The driver
// answers every command with exactly one line on standard output:
//   ok key=value key=value ...     values percent-encoded the same way
//   error <percent-encoded message>
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace driver {

// A command that cannot be carried out; its message becomes the error line.
class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string percent_encode(const std::string& text);
std::string percent_decode(const std::string& word);

// The words of one command line, decoded.
class Args {
 public:
  explicit Args(const std::string& line);

  const std::string& name() const { return words_.front(); }
  std::size_t count() const { return words_.size() - 1; }
  // The i-th argument after the command name (0-based).
  const std::string& text(std::size_t i) const;
  std::uint64_t number(std::size_t i) const;
  std::int64_t signed_number(std::size_t i) const;

 private:
  std::vector<std::string> words_;
};

class Reply {
 public:
  Reply& add(const std::string& key, const std::string& value);
  Reply& add(const std::string& key, const char* value) { return add(key, std::string(value)); }
  Reply& add(const std::string& key, std::uint64_t value) { return add(key, std::to_string(value)); }
  Reply& add(const std::string& key, std::int64_t value) { return add(key, std::to_string(value)); }
  Reply& add(const std::string& key, unsigned long value) { return add(key, std::to_string(value)); }
  Reply& add(const std::string& key, unsigned value) { return add(key, std::to_string(value)); }
  Reply& add(const std::string& key, int value) { return add(key, std::to_string(value)); }
  Reply& add(const std::string& key, long value) { return add(key, std::to_string(value)); }
  // Adds every field of another reply, each key prefixed (e.g. "w0.").
  Reply& add_all(const std::string& prefix, const Reply& other);

  std::string line() const;

 private:
  std::vector<std::pair<std::string, std::string>> fields_;
};

}  // namespace driver
