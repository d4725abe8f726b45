#pragma once
// The automatic assignment's run written step by step as the operation is
// described, with its scan over every row after each taken address; the
// reference the product's selection is compared with (tests and benchmark).
#include "ops/AutoAssignRun.h"

EAutoAssignEnd RunAutoAssignmentLiterally(const SAutoAssignPlan& plan, CAutoAssignSite& site);
