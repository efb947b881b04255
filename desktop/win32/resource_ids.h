// The program's resources, shared by the resource script and the code that loads them.
#pragma once

// The program icon comes first: Explorer shows the first icon of a program.
#define HORALUX_ICON_CLOCK 1
#define HORALUX_ICON_CLOCK_WARNING 2
