#pragma once
// Field helpers shared by the INI storage, the payload texts and the dialogs.
#include <cstddef>
#include <cstdint>
#include <string>

// Clears the whole field, then copies at most nWidth - 1 bytes of the text, so
// that the field always ends in NUL.
void SetTextField(char* pField, size_t nWidth, const std::string& strText);
// The field's text up to its NUL, never beyond the field.
std::string GetTextField(const char* pField, size_t nWidth);

template <size_t N> void SetTextField(char (&field)[N], const std::string& strText) {
    SetTextField(field, N, strText);
}
template <size_t N> std::string GetTextField(const char (&field)[N]) {
    return GetTextField(field, N);
}

// A terminator field holds a count and two bytes.
inline constexpr size_t TERMINATOR_BYTES = 2;
// At most this many hex digits of a terminator text count; more are ignored so
// that the two bytes are never overrun.
inline constexpr size_t TERMINATOR_DIGITS = 4;

// "%02X" of the first count bytes, joined; a count above 2 shows both bytes.
std::string FormatTerminator(uint8_t byLen, const uint8_t* pBytes);
// Count := length / 2 of the first four characters; byte i := the hex pair at
// 2i. A pair that does not begin with a hex digit leaves its byte 0; one whose
// second character is not hex gives the first digit's value.
void ParseTerminator(const std::string& strText, uint8_t& byLen, uint8_t* pBytes);
// What a dialog's terminator text puts into a record it edits: the count and
// the bytes it counts as ParseTerminator reads them; a byte behind the count
// keeps what the record held, so an unchanged text changes nothing.
void StoreTerminator(const std::string& strText, uint8_t& byLen, uint8_t* pBytes);

// The four bytes of a value as the little-endian record holds them, read as a
// signed number, and back: how the network-order trap address is written to
// the INI file.
int32_t LittleEndianValue(const uint8_t* pBytes);
void StoreLittleEndian(int32_t nValue, uint8_t* pBytes);
