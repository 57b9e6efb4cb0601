// Our ATL subset: smart pointers, BSTRs, registry keys, conversions, trace
// and the module objects, under the names the ATL classes have.
#pragma once

#include "atldef.h"
#include "atltrace.h"
#include "atlconv.h"
#include "atlcomcli.h"
#include "atlregkey.h"
#include "atlmodule.h"
