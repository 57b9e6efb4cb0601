// Registration of the level filter: the COM class (ThreadingModel Both) and
// the DirectShow filter in the legacy filter category, with MERIT_DO_NOT_USE
// so that no program inserts it by itself.
#pragma once

#include <windows.h>

HRESULT RegisterQuelmarFilter(HINSTANCE hInstance);
HRESULT UnregisterQuelmarFilter();
