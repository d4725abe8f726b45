#pragma once
#include <cstdint>
#include <string>

// "%02X%02X%02X%02X%02X%02X" of the six bytes.
std::string MacToText(const uint8_t* pMac);
// Two hex digits per byte; characters after the twelfth digit are ignored, and
// bytes the text does not reach stay 0.
void TextToMac(const std::string& strMac, uint8_t* pMac);

uint8_t ModelCodeFromIndex(int nModel);
int ModelIndexFromCode(uint8_t byCode);
