#pragma once

// The program's version and the source revision it was built from.
const char* program_version();
const char* program_build_id();
