// CrMath's tables from MPFR: written out as crmath/Tables.cpp, and compared
// with those the library was built with.
#pragma once

namespace mpfrcheck {

// Prints crmath/Tables.cpp.
void PrintTables();
// The count of the library's table entries that differ from MPFR's, and of
// its constants computed past the tables that stray beyond their bounds,
// each printed.
int CheckTables();

}  // namespace mpfrcheck
