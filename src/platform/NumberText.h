#pragma once
#include <cstdint>
#include <string>

// The decimal number at the start of a text, the way atoi reads it: leading
// blanks, an optional sign, then digits; anything else ends the number, and a
// text without digits gives 0. The value wraps at 32 bits instead of being
// undefined.
int32_t ParseLeadingInt(const std::string& strText);

// The framework's integer exchange of an edit field: blanks around one whole
// signed decimal number and nothing else. False for any other text (the field
// then shows "整数を入力してください。"). Out-of-range values clamp to 32 bits.
bool ExchangeInt(const std::string& strText, int32_t& nValue);

// 0..15 for a hexadecimal digit of either case, -1 for anything else.
int HexDigitValue(char ch);
