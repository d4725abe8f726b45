#pragma once
#include <string>

// The core holds operator texts as CP932 bytes; the screen speaks UTF-8.
// Both return false (out untouched) for text the other side cannot hold.
bool Cp932ToUtf8(const std::string& strCp932, std::string& strUtf8);
bool Utf8ToCp932(const std::string& strUtf8, std::string& strCp932);
// Lossy display helper: bytes that do not convert become U+FFFD.
// First byte of a double-byte character.
bool IsCp932LeadByte(unsigned char by);

std::string Cp932ToUtf8Lossy(const std::string& strCp932);

// Compares two CP932 texts ignoring the case of single-byte letters; the two
// bytes of a double-byte character are compared as they are.
bool Cp932EqualNoCase(const std::string& strA, const std::string& strB);

// UTF-16LE characters (2 bytes each) to CP932 bytes. A character CP932 cannot
// hold, or a broken surrogate, becomes '?', as the platform's own conversion does.
std::string Utf16LeToCp932(const unsigned char* pData, size_t nChars);
