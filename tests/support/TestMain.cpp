// Entry point of every test program: the module object the window templates
// need, a single-threaded apartment on the test thread, then GoogleTest.
#include <gtest/gtest.h>

#include "../../app/QuelmarTestModule.h"

CQuelmarTestModule _AtlModule;

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int nResult = RUN_ALL_TESTS();
    CoUninitialize();
    return nResult;
}
