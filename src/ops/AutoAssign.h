#pragma once
// "自動設定": every node of the current network without an address gets one
// from the base IP and the increment the operator gives, written into the
// node together with the default parameters.
#include "params/NodeParam.h"
#include "params/ParamValidation.h" // PcAddressFn

class COrvixDoc;

// fnPcAddress answers the PC's own addresses (those of its interfaces in the
// product), which are never given to a node.
void AutoAssignAddresses(COrvixDoc& doc, const NODEPARAM& defParam, const PcAddressFn& fnPcAddress);
// With the PC's addresses from its interfaces.
void AutoAssignAddresses(COrvixDoc& doc, const NODEPARAM& defParam);
