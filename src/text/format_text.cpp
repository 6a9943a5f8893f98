#include "text/format_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

namespace text {
namespace {

constexpr long kMaxWidth = 1024;
constexpr std::string_view kFlags = "-+ #0'";
constexpr std::string_view kLengths = "hlLqjzt";
constexpr std::string_view kConversions = "diouxXeEfFgGaAcsp";

template <typename T>
std::string Printf(const std::string& directive, T value) {
  const int length = std::snprintf(nullptr, 0, directive.c_str(), value);
  if (length < 0) return {};
  std::string out(static_cast<size_t>(length), '\0');
  std::snprintf(out.data(), out.size() + 1, directive.c_str(), value);
  return out;
}

template <typename T>
std::string Printf(const std::string& directive, int star1, int star2, int stars, T value) {
  if (stars == 0) return Printf(directive, value);
  const int length = stars == 1 ? std::snprintf(nullptr, 0, directive.c_str(), star1, value)
                                : std::snprintf(nullptr, 0, directive.c_str(), star1, star2, value);
  if (length < 0) return {};
  std::string out(static_cast<size_t>(length), '\0');
  if (stars == 1) {
    std::snprintf(out.data(), out.size() + 1, directive.c_str(), star1, value);
  } else {
    std::snprintf(out.data(), out.size() + 1, directive.c_str(), star1, star2, value);
  }
  return out;
}

}  // namespace

long long FormatArg::AsSigned() const {
  return m_kind == Kind::Signed ? m_signed : static_cast<long long>(m_unsigned);
}

unsigned long long FormatArg::AsUnsigned() const {
  if (m_kind == Kind::Unsigned) return m_unsigned;
  const auto bits = static_cast<unsigned long long>(m_signed);
  return m_bytes >= sizeof(bits) ? bits : bits & ((1ULL << (8 * m_bytes)) - 1);
}

double FormatArg::AsDouble() const {
  if (m_kind == Kind::Double) return m_double;
  return m_kind == Kind::Signed ? static_cast<double>(m_signed) : static_cast<double>(m_unsigned);
}

std::string FormatText(std::string_view format, std::span<const FormatArg> args) {
  std::string out;
  size_t next = 0;  // next argument
  size_t pos = 0;
  while (pos < format.size()) {
    const size_t percent = format.find('%', pos);
    if (percent == std::string_view::npos) {
      out.append(format.substr(pos));
      break;
    }
    out.append(format.substr(pos, percent - pos));
    if (percent + 1 < format.size() && format[percent + 1] == '%') {
      out += '%';
      pos = percent + 2;
      continue;
    }

    // Parse %[flags][width][.precision][length]conversion.
    size_t i = percent + 1;
    std::string directive = "%";
    while (i < format.size() && kFlags.find(format[i]) != std::string_view::npos) directive += format[i++];
    int stars = 0;
    const auto takeNumber = [&] {
      if (i < format.size() && format[i] == '*') {
        directive += format[i++];
        ++stars;
        return;
      }
      // Widths and precisions stop at 1024, the most a formatted text may use.
      long number = -1;
      while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
        number = std::min<long>(std::max<long>(number, 0) * 10 + (format[i++] - '0'), kMaxWidth);
      }
      if (number >= 0) directive += std::to_string(number);
    };
    takeNumber();
    if (i < format.size() && format[i] == '.') {
      directive += format[i++];
      takeNumber();
    }
    while (i < format.size() && kLengths.find(format[i]) != std::string_view::npos) ++i;  // argument types are known
    if (i >= format.size() || kConversions.find(format[i]) == std::string_view::npos) {
      // Not a conversion we perform: written out as it stands.
      const size_t end = i < format.size() ? i + 1 : i;
      out.append(format.substr(percent, end - percent));
      pos = end;
      continue;
    }
    const char conversion = format[i++];
    const std::string_view literal = format.substr(percent, i - percent);
    pos = i;

    // Width and precision given as "*" take integer arguments first.
    int starValues[2] = {0, 0};
    bool usable = next + static_cast<size_t>(stars) < args.size();
    for (int s = 0; s < stars && usable; ++s) {
      usable = args[next + static_cast<size_t>(s)].IsInteger();
      if (usable) {
        starValues[s] = static_cast<int>(std::clamp<long long>(args[next + static_cast<size_t>(s)].AsSigned(), -kMaxWidth, kMaxWidth));
      }
    }
    if (!usable) {
      out.append(literal);
      continue;
    }
    const FormatArg& arg = args[next + static_cast<size_t>(stars)];
    std::optional<std::string> text;
    switch (conversion) {
      case 'd':
      case 'i':
        if (arg.IsInteger()) text = Printf(directive + "ll" + conversion, starValues[0], starValues[1], stars, arg.AsSigned());
        break;
      case 'o':
      case 'u':
      case 'x':
      case 'X':
        if (arg.IsInteger()) text = Printf(directive + "ll" + conversion, starValues[0], starValues[1], stars, arg.AsUnsigned());
        break;
      case 'c':
        if (arg.IsInteger()) text = Printf(directive + conversion, starValues[0], starValues[1], stars, static_cast<int>(arg.AsSigned()));
        break;
      case 's':
        if (arg.kind() == FormatArg::Kind::Text) {
          text = Printf(directive + conversion, starValues[0], starValues[1], stars, arg.Text() ? arg.Text() : "(null)");
        }
        break;
      case 'p':
        if (arg.kind() == FormatArg::Kind::Pointer) text = Printf(directive + conversion, starValues[0], starValues[1], stars, arg.Pointer());
        break;
      default:  // floating point
        if (arg.kind() != FormatArg::Kind::Text && arg.kind() != FormatArg::Kind::Pointer) {
          text = Printf(directive + conversion, starValues[0], starValues[1], stars, arg.AsDouble());
        }
        break;
    }
    next += static_cast<size_t>(stars) + 1;
    out.append(text ? *text : std::string(literal));
  }
  return out;
}

}  // namespace text
