// What IQuelmarVersion reports about this build of the level filter.
#pragma once

#define QUELMAR_FILTER_NAME L"Quelmar"
#define QUELMAR_FILTER_NUMBER L"1.0.0"
#ifdef NDEBUG
#define QUELMAR_FILTER_TYPE 1  // release
#else
#define QUELMAR_FILTER_TYPE 0  // debug
#endif
