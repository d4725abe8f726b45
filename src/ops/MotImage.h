#pragma once
#include <string>

// A .mot file (by its extension, any case) must be a whole Motorola S-record
// image: every record well formed with its length and checksum, data
// records, and a terminating record (S7, S8 or S9) after which only empty
// lines follow. Other files are not looked at. False with the message for the
// operator (naming the first bad line) when the image is broken.
bool CheckMotImage(const std::string& strPath, std::string& strMessage);

// The check on the text itself; nBadLine is the first bad line (1-based).
// Empty reason when the text is a whole image.
std::string FindSRecordFault(const std::string& strText, size_t& nBadLine);
