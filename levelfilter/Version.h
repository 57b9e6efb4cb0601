// What IQuelmarVersion reports about this build of the level filter.
#pragma once

#include "../release/Version.h"

#define QUELMAR_FILTER_NAME L"Quelmar"
#define QUELMAR_FILTER_NUMBER L"" QUELMAR_VERSION_TEXT  // the release's version
#ifdef NDEBUG
#define QUELMAR_FILTER_TYPE 1  // release
#else
#define QUELMAR_FILTER_TYPE 0  // debug
#endif
