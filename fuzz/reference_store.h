// A plain second reading of store lines, against which the fuzz targets check the program's
// loaders: numbers with leading white space, an optional sign and digits of the base, within 32
// bits; lines whose ID cannot be read or is negative, and matching lines with too few or
// unreadable fields, are passed over. Lines and fields are split as the tests split them.
#ifndef VEXILO_FUZZ_REFERENCE_STORE_H_
#define VEXILO_FUZZ_REFERENCE_STORE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/store_fixture.h"

namespace vexilo::fuzzing {

inline std::optional<std::int32_t> referenceNumber(std::string_view text, int base) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  // strtol's prefix of base 16, taken only before a digit: "0x" alone reads as 0.
  const auto isHexDigit = [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  };
  if (base == 16 && at + 2 < text.size() && text[at] == '0' &&
      (text[at + 1] == 'x' || text[at + 1] == 'X') && isHexDigit(text[at + 2])) {
    at += 2;
  }
  std::int64_t value = 0;
  bool anyDigit = false;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) break;
    anyDigit = true;
    value = value * base + digit;
    if (value > (std::int64_t{1} << 32)) value = std::int64_t{1} << 32;  // out of range anyway
  }
  if (!anyDigit) return std::nullopt;
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

// The first `fieldCount` fields, in `base` for the first and decimal for the rest, of the first
// usable line whose ID is `wanted`; nullopt when there is none.
inline std::optional<std::vector<std::int32_t>> referenceLookup(std::string_view contents,
                                                                std::int32_t wanted,
                                                                std::size_t fieldCount, int base) {
  for (const std::string& line : testing::splitLines(contents)) {
    const std::vector<std::string> fields = testing::splitFields(line);
    const auto id = referenceNumber(fields[0], base);
    if (!id || *id < 0 || *id != wanted || fields.size() < fieldCount) continue;
    std::vector<std::int32_t> values{*id};
    for (std::size_t field = 1; field < fieldCount; ++field) {
      const auto value = referenceNumber(fields[field], 10);
      if (!value) break;
      values.push_back(*value);
    }
    if (values.size() == fieldCount) return values;
  }
  return std::nullopt;
}

// One more than the last readable, non-negative ID (at most 2147483647), or 0.
inline std::int32_t referenceNextId(std::string_view contents, int base) {
  std::int32_t next = 0;
  for (const std::string& line : testing::splitLines(contents)) {
    const auto id = referenceNumber(testing::splitFields(line)[0], base);
    if (id && *id >= 0) next = *id == INT32_MAX ? *id : *id + 1;
  }
  return next;
}

}  // namespace vexilo::fuzzing

#endif  // VEXILO_FUZZ_REFERENCE_STORE_H_
