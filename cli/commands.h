#pragma once

#include "cli/arguments.h"
#include "cli/console.h"

namespace sonatag::cli {

// Each returns the exit status: 0 when every file was done, 1 when some file failed.
int RunShow(const Arguments& arguments, Console& console);
int RunSet(const Arguments& arguments, Console& console);
int RunUndo(const Arguments& arguments, Console& console);
int RunRepair(const Arguments& arguments, Console& console);

}  // namespace sonatag::cli
