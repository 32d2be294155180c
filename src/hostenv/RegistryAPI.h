// Reading one registry value, with the caller's default on any failure.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// Empty, text, bytes or a 32-bit number; a default keeps its own form.
using RegVariant = std::variant<std::monostate, std::wstring, std::vector<std::uint8_t>, std::int32_t>;

inline constexpr std::int16_t kRegText = 1;    // REG_SZ
inline constexpr std::int16_t kRegBytes = 3;   // REG_BINARY
inline constexpr std::int16_t kRegNumber = 4;  // REG_DWORD

// Missing key or value, denied access or a value too large for its buffer
// (1024 bytes of text, 4096 of bytes, 4 of number) give the default. Another
// requested type raises ProgramError 1001 "Unsupported value type".
RegVariant GetRegValue(HKEY hive, const std::wstring& keyPath, const std::wstring& valueName,
                       std::int16_t requestedType, const RegVariant& defaultValue);

// A number result, or 0 for anything else (an empty default reads as 0).
std::int32_t RegNumberOrZero(const RegVariant& value);
// A text result, or the empty string for anything else.
std::wstring RegTextOrEmpty(const RegVariant& value);
