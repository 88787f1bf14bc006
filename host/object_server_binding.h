#pragma once
// Where the main window's Object Server control comes from. main() installs a
// factory for the Object Server of this platform; tests install their own.
// The host never names an implementation.

#include <functional>

#include "host/lns/lns.h"

// An empty factory removes the current one.
void SetObjectServerFactory(std::function<lns::ObjectServerPtr()> factory);
// A new Object Server from the installed factory; nullptr when none is
// installed or the factory fails.
lns::ObjectServerPtr CreateObjectServer();
