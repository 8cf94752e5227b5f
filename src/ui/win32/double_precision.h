#pragma once
// The clock searches and readouts are defined in double precision, but the
// x87 unit may start in extended precision (MinGW's start-up code, which the
// test programs keep, sets it so). Rounding every result to 53 bits makes a
// program pick the words the calculator and the unit tests pick. Every
// program that programs or reads clocks calls this first.
void UseDoublePrecision();
