#include "core/version.h"

#ifndef INKMATE_BUILD_ID
#define INKMATE_BUILD_ID "000000000000"
#endif

const char* program_version()
{
    return "1.2.4";
}
const char* program_build_id()
{
    return INKMATE_BUILD_ID;
}
