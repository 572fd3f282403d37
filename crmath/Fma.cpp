// CrMath's fast paths built with fused multiply-adds (this unit is compiled
// with -mfma), called only where the processor has them. The unit defines no
// symbol but the members of TBuild<true>, which no other unit instantiates:
// the kernels it builds have internal linkage, and the types it uses have no
// inline members, so that no code built here can stand in for code built for
// every x86-64, whatever the compiler, the build type or the order of the
// archive. The test command checks this on the object file (FmaSymbols.cmake).
#include "crmath/Kernel.h"

template struct crmath::detail::TBuild<true>;
