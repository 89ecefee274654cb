#pragma once
// What the fuzz targets share: a property check that stops the run with a message, so
// that libFuzzer keeps the input as a crash, and views of the input as text.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#define FUZZ_CHECK(condition, what)                                                            \
  do {                                                                                         \
    if (!(condition)) {                                                                        \
      std::fprintf(stderr, "property failed at %s:%d: %s\n  (%s)\n", __FILE__, __LINE__, what, \
                   #condition);                                                                \
      std::abort();                                                                            \
    }                                                                                          \
  } while (false)

namespace fudekko::fuzz {

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Splits off the text up to the next zero byte (all of it when there is none).
inline std::string_view takeField(std::string_view& rest) {
  const std::size_t zero = rest.find('\0');
  const std::string_view field = rest.substr(0, zero);
  rest = zero == std::string_view::npos ? std::string_view() : rest.substr(zero + 1);
  return field;
}

}  // namespace fudekko::fuzz
