#pragma once
// Internals of the special functions shared by their sources and visible to their tests.

namespace quarvel::detail {

// How many times each digamma table has been filled in this process (0 or 1).
int DigammaIntegerTableFillCount();
int DigammaHalfIntegerTableFillCount();

}  // namespace quarvel::detail
