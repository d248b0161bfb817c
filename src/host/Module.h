#pragma once

#include "qarx/base.h"

// This module's instance: every resource lookup goes through it.
HINSTANCE ModuleInstance();
