#pragma once

#include "vst2/callback_table.h"

// The table entries that lead from CVeST to the runtime object it owns.
VeSTCallbackTable MakeCallbackTable();
