#include "acui.h"

namespace {
bool g_initialized = false;
}

void InitAcUiDLL() { g_initialized = true; }
bool AcUiInitialized() { return g_initialized; }
