#include "core/version.h"

#include "buildid.h"

const char* program_version()
{
    return "1.2.4";
}
const char* program_build_id()
{
    return INKMATE_BUILD_ID;
}
