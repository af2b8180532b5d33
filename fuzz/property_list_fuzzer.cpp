// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzEntries::silenceLogs();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzEntries::propertyList(data, size);
    return 0;
}
