#pragma once
#include "tests/support/cli_process.h"
