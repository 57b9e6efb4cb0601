// Our ATL subset's window classes: CWindow, CWindowImpl, CDialogImpl and the
// message-map macros.
#pragma once

#include "atlbase.h"
#include "atlwindow.h"
#include "atlmsgmap.h"
#include "atlwinimpl.h"
#include "atldlgimpl.h"
