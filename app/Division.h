// The division run that OK starts: the segment ends, the start at the
// designated point, the walk with its points, the total; what it is doing
// and why it stopped are told in the status line.
#pragma once

#include "app/FormHost.h"

// True when the reply is complete. Whatever way the run ends without it, the
// tables, the reply and the writer's memory are as they were before.
bool DivideChain(double d, TFormHost& host);
