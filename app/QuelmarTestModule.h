// The program's module object: what the window templates need of it (the
// resource instance and the window-creation record).
#pragma once

#include <atlbase.h>

class CQuelmarTestModule : public CAtlExeModuleT<CQuelmarTestModule> {};
