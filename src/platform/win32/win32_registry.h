// The real registry reader.
#pragma once
#include "platform/registry.h"

Registry& win32_registry();
