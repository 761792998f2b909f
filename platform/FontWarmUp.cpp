#include "platform/FontWarmUp.h"

#include <fontconfig/fontconfig.h>

#include <thread>

void WarmUpFonts()
{
    // Detached: it ends on its own, and a program that ends first loses
    // nothing by it.
    std::thread([] { FcInit(); }).detach();
}
