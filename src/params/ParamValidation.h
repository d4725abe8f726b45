#pragma once
// The checks the parameter dialogs run when they are confirmed. Each returns
// the first failing check's message (UTF-8) and the control that gets the
// focus, or a pass. Integer fields go through the framework's integer exchange
// first: a text that is no whole number fails with "整数を入力してください。"
// before any other check.
#include "params/ParamTexts.h"
#include "ui/DialogModel.h"

#include <cstdint>
#include <functional>
#include <vector>

// The PC's own addresses (host order) for the duplicate check, those of the
// interface that leads towards the given address first; empty when none is known.
using PcAddressFn = std::function<std::vector<uint32_t>(uint32_t dwTowards)>;

// Default-parameter page: six checks when the page is left; bApply adds the
// no-communication timer (seven checks).
SCheck ValidateParamPage(const SParamPageTexts& texts, bool bApply);

// Node settings dialog, on "送信": eleven checks. The own IP must differ from
// every address of the PC: a node holding one would be unreachable, as the PC
// keeps traffic to its own addresses to itself. Without a known address the
// duplicate check passes.
SCheck ValidateParamEditor(const SParamTexts& texts, const PcAddressFn& fnPcAddress);
SCheck ValidateParamEditor(const SParamTexts& texts); // asks the PC's interfaces

// SNMP sub-dialog, on OK: four checks.
SCheck ValidateSnmp(const SSnmpTexts& texts);
