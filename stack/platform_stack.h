// This platform's stack class under one name, for code that derives from it (test stacks
// with a stubbed lookup or a recording wait). CMake names the header that defines it.
#pragma once

#include HORALUX_PLATFORM_STACK_HEADER
