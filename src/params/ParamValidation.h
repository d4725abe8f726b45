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

// Answers the PC's own address for the duplicate check (host order); false when
// it cannot be known.
using PcAddressFn = std::function<bool(uint32_t&)>;

// Default-parameter page: six checks when the page is left; bApply adds the
// no-communication timer (seven checks).
SCheck ValidateParamPage(const SParamPageTexts& texts, bool bApply);

// Node settings dialog, on "送信": eleven checks. The own IP must differ from
// the PC's first address by host name; when that address cannot be found, the
// duplicate check passes.
SCheck ValidateParamEditor(const SParamTexts& texts, const PcAddressFn& fnPcAddress);
SCheck ValidateParamEditor(const SParamTexts& texts); // asks the host name

// SNMP sub-dialog, on OK: four checks.
SCheck ValidateSnmp(const SSnmpTexts& texts);
