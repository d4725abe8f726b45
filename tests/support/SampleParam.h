#pragma once
#include "params/NodeParam.h"

// A parameter record with every field the node and the INI file know filled
// in, for tests that need "some real settings". Numbers are chosen so that
// their bytes differ (byte order shows), texts so that they fill their fields
// or carry characters that need care (CP932, ';', '='); the reserved bytes
// and the checksum are zero. A test that is about one field sets it itself.
//
//   own 192.168.10.20:258, destination 10.0.0.1:10001, gateway 192.168.10.1,
//   mask 255.255.255.0, trap 10.0.0.1, MTU 1500, idle timer 0x1234,
//   file terminator 1A, record terminator 0D 0A.
NODEPARAM SampleParam();
