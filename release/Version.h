// The release's version and identity: the one place they are written. Read
// by the C++ code, by the resource scripts (the version resources) and by
// scripts/package.sh (the zip's name).
#pragma once

#define QUELMAR_VERSION_MAJOR 1
#define QUELMAR_VERSION_MINOR 0
#define QUELMAR_VERSION_PATCH 0

#define QUELMAR_STRINGIZE_(x) #x
#define QUELMAR_STRINGIZE(x) QUELMAR_STRINGIZE_(x)
// "1.0.0"
#define QUELMAR_VERSION_TEXT QUELMAR_STRINGIZE(QUELMAR_VERSION_MAJOR.QUELMAR_VERSION_MINOR.QUELMAR_VERSION_PATCH)

#define QUELMAR_PRODUCT_NAME "QuelmarTest"
#define QUELMAR_COPYRIGHT "Copyright (C) 2026 the QuelmarTest developers"
