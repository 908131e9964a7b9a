#pragma once
// Names of window messages for traces: the platform's names, and the
// toolkit's component (CM_) and reflected notification (CN_) messages.
#include <string>

// "WM_????" for a number we have no name for.
std::string MessageName(unsigned msg);
// How many messages have names.
int MessageNameCount();
