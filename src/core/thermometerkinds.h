// The thermometer's settings that take one of a few values, with the numbers its frames, the
// day files and Kestrim.ini use for them.
#pragma once

#include <QString>

enum class MachineType : int { R9 = 0, R9Pro = 1 };

enum class TempUnit : int { Celsius = 0, Fahrenheit = 1 };

// A report may carry another number: the mode is then unknown, and readings are not shown.
enum class WorkMode : int { Surface = 0, Body = 1, Count = 2 };
