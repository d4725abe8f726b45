#pragma once
// Names and texts of the parameter record's fields, for the configuration file
// and the state dump of the control channel.
#include "params/NodeParam.h"

#include <string>

// The record a node holds when it leaves the factory or is initialised.
NODEPARAM SimFactoryParam();

// "name=value" for every field that differs from the factory record, in record
// order, separated by single spaces; empty when none differs. Texts are quoted
// with \" \\ and \xNN escapes, addresses dotted, byte fields as hex digits.
std::string SimFormatParamDiff(const NODEPARAM& param);

// Sets one field from its text (the form SimFormatParamDiff writes; texts may
// also come unquoted). False for an unknown name or a value that does not fit.
bool SimSetParamField(NODEPARAM& param, const std::string& strName, const std::string& strValue);

// Reads a quoted text with the escapes above from the start of strIn; returns the
// number of characters used, 0 when it is not a well-formed quoted text.
size_t SimReadQuoted(const std::string& strIn, size_t nPos, std::string& strOut);
std::string SimQuote(const std::string& str);
