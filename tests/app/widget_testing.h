#pragma once
#include "tests/support/widget_testing.h"
