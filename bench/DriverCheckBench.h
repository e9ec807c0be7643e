#pragma once

// lumenpad-bench --driver-check ROUNDS: the linked driver check of a vertex and fragment pair,
// in the program's own context and through the helper process (see DriverCheckBench.cpp).
int MeasureDriverCheck(int rounds);
