#pragma once
#include "tests/support/ui_testing.h"
