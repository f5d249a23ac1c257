#include "installer/exports.h"

// Not yet implemented: touches no setting.
extern "C" int32_t SETUPAID_STDCALL ForceIconCacheRebuild() { return 0; }
