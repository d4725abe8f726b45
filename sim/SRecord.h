#pragma once
// Motorola S-record images (.mot), as a node checks them before it takes one.
#include <cstddef>
#include <cstdint>
#include <string>

struct SSRecordImage {
    bool bValid = false;
    std::string strError;  // why the image was refused, with its line number
    std::string strHeader; // text of the S0 record, if any
    size_t nDataBytes = 0; // bytes carried by S1/S2/S3 records
    uint16_t wSum = 0;     // 16-bit sum of those bytes
    int nMajor = 1;        // version found in the header ("V1.02" or "1.02"), else 1.00
    int nMinor = 0;
};

// Every line must be a well-formed record with a correct checksum; blank lines
// and CR LF or LF line ends are accepted. An image without data is refused.
SSRecordImage SRecordParse(const std::string& strText);
