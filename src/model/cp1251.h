#pragma once
// The Windows Cyrillic code page: texts inside project and plan files.
#include <string>

namespace livra {

// UTF-8 → cp1251; characters outside the code page become '?'.
std::string utf8ToCp1251(const std::string& utf8);
// cp1251 → UTF-8; the one unassigned byte (0x98) becomes U+FFFD.
std::string cp1251ToUtf8(const std::string& bytes);

}  // namespace livra
