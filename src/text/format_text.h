// printf-style formatting that never reads an argument that was not passed: the
// arguments travel with their types, and a conversion without a matching argument is
// written out as it stands in the format.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace text {

class FormatArg {
 public:
  enum class Kind { Signed, Unsigned, Double, Text, Pointer };

  template <typename T>
    requires std::is_integral_v<T>
  FormatArg(T value)  // NOLINT: implicit by design, like a printf argument
      : m_kind(std::is_signed_v<T> ? Kind::Signed : Kind::Unsigned), m_bytes(sizeof(T)) {
    if constexpr (std::is_signed_v<T>) {
      m_signed = value;
    } else {
      m_unsigned = value;
    }
  }
  template <typename T>
    requires std::is_floating_point_v<T>
  FormatArg(T value) : m_kind(Kind::Double), m_double(static_cast<double>(value)) {}  // NOLINT
  FormatArg(const char* text) : m_kind(Kind::Text), m_text(text) {}                  // NOLINT
  FormatArg(char* text) : m_kind(Kind::Text), m_text(text) {}                        // NOLINT
  FormatArg(const std::string& text) : m_kind(Kind::Text), m_text(text.c_str()) {}   // NOLINT
  FormatArg(const void* pointer) : m_kind(Kind::Pointer), m_pointer(pointer) {}      // NOLINT

  Kind kind() const { return m_kind; }
  bool IsInteger() const { return m_kind == Kind::Signed || m_kind == Kind::Unsigned; }
  long long AsSigned() const;
  // The integer's bits as an unsigned value of its own width, as printf shows them.
  unsigned long long AsUnsigned() const;
  double AsDouble() const;
  const char* Text() const { return m_text; }
  const void* Pointer() const { return m_pointer; }

 private:
  Kind m_kind;
  unsigned m_bytes = 0;
  long long m_signed = 0;
  unsigned long long m_unsigned = 0;
  double m_double = 0;
  const char* m_text = nullptr;
  const void* m_pointer = nullptr;
};

std::string FormatText(std::string_view format, std::span<const FormatArg> args);

}  // namespace text
