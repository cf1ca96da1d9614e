#pragma once
// The IBus engine: hands each key to a TRomaneshComposer and shows what it yields, the pre-edit,
// the commits, the lookup table and the property menu. One engine per input context; the files
// and the options are the process's.
#include <ibus.h>

#include "EngineHost.h"

#define ZEFRA_TYPE_ENGINE (zefra_engine_get_type())
GType zefra_engine_get_type();
