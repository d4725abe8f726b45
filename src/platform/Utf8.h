#pragma once
// UTF-8 characters one at a time, for the JSON texts we write and read.
#include <cstddef>
#include <cstdint>
#include <string>

// The length of the well-formed UTF-8 character at str[nAt], its code point
// in cp; 0 when the byte there starts none (a stray or overlong form, a
// surrogate, a cut end).
size_t Utf8Length(const std::string& str, size_t nAt, uint32_t& cp);

// Appends the code point cp (at most U+10FFFF) in UTF-8.
void AppendUtf8(std::string& str, uint32_t cp);
