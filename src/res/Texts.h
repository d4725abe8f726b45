#pragma once
// Every fixed text of the manager, in UTF-8. Each area keeps its texts in a file
// of its own in this folder; this header gathers them.

#include "res/BatchTexts.h"
#include "res/CommandTexts.h"
#include "res/CommissionTexts.h"
#include "res/CtlTexts.h"
#include "res/DefaultParamTexts.h"
#include "res/DiscoveryTexts.h"
#include "res/DocumentTexts.h"
#include "res/FrameTexts.h"
#include "res/FtpTexts.h"
#include "res/LinkTexts.h"
#include "res/LogTexts.h"
#include "res/NodeListTexts.h"
#include "res/NodeOpsTexts.h"
#include "res/OpsTexts.h"
#include "res/ParamEditorTexts.h"
#include "res/ParamTexts.h"
#include "res/RegistrationTexts.h"
#include "res/RegistryTexts.h"
#include "res/RolloutTexts.h"
#include "res/ShellTexts.h"
