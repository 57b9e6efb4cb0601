#include <gtest/gtest.h>
#include "DialogDriver.h"
#include <chrono>
#include <cstdio>
static double now(){ return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }
TEST(Timing, Phases) {
  double t0 = now();
  { CDialogDriver d; printf("open %.3f\n", now()-t0); t0=now(); printf("post %lu\n", GetTickCount()); d.PostCommand(IDCANCEL); d.Sync(); PostMessageA(d.Dialog(), WM_NULL, 0, 0); d.WaitForEnd(); printf("end %.3f\n", now()-t0); t0=now(); }
  printf("dtor %.3f\n", now()-t0);
}
