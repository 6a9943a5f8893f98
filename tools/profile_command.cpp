// melodeck-tool profile get|put: profile values read and written exactly as the
// program does, for scripts and support.
#include <iostream>
#include <limits>
#include <optional>

#include "commands.h"
#include "platform/profile.h"

namespace {

constexpr const char* kUsage =
    "usage: melodeck-tool profile get FILE [--section S] [--key K] [--default D] [--size N]\n"
    "       melodeck-tool profile put FILE [--section S] [--key K] [--value V]\n";

int Usage() {
  std::cerr << kUsage;
  return 2;
}

struct Options {
  std::string file;
  std::optional<std::string> section, key, defaultValue, value, size;
};

const char* PointerOf(const std::optional<std::string>& option) { return option ? option->c_str() : nullptr; }

// Parses "FILE" and "--name value" pairs; only the names in allowed are accepted.
std::optional<Options> Parse(const std::vector<std::string>& args, bool get) {
  if (args.size() < 2) return std::nullopt;
  Options options;
  options.file = args[1];
  for (size_t i = 2; i < args.size(); i += 2) {
    if (i + 1 >= args.size()) return std::nullopt;
    const std::string& name = args[i];
    std::optional<std::string>* target = nullptr;
    if (name == "--section") target = &options.section;
    if (name == "--key") target = &options.key;
    if (get && name == "--default") target = &options.defaultValue;
    if (get && name == "--size") target = &options.size;
    if (!get && name == "--value") target = &options.value;
    if (!target || *target) return std::nullopt;
    *target = args[i + 1];
  }
  return options;
}

std::optional<std::size_t> ParseSize(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9) {
    return std::nullopt;
  }
  return std::stoul(text);
}

}  // namespace

int RunProfileCommand(const std::vector<std::string>& args) {
  if (args.empty() || (args[0] != "get" && args[0] != "put")) return Usage();
  const bool get = args[0] == "get";
  const auto options = Parse(args, get);
  if (!options) return Usage();

  if (!get) {
    std::cout << "ret=" << platform::ProfileWrite(options->file, PointerOf(options->section),
                                                  PointerOf(options->key), PointerOf(options->value))
              << '\n';
    return 0;
  }
  std::size_t size = std::numeric_limits<std::uint32_t>::max();
  if (options->size) {
    const auto parsed = ParseSize(*options->size);
    if (!parsed) return Usage();
    size = *parsed;
  }
  const auto result = platform::ProfileRead(options->file, PointerOf(options->section), PointerOf(options->key),
                                            PointerOf(options->defaultValue));
  auto fitted = platform::FitProfileResult(result, size);
  // A value prints without its terminating NUL; a list prints every byte written.
  if (!result.isList && !fitted.written.empty()) fitted.written.pop_back();
  std::cout << "ret=" << fitted.returned << '\n' << "value=" << EscapeBytes(fitted.written) << '\n';
  return 0;
}
