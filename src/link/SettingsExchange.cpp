#include "registry/OrvixDoc.h"

// The node settings dialog is not wired yet: a get-parameters reply ends the wait.
void COrvixDoc::RunSettingsExchange(uint8_t* /*pData*/) {}
