// The host's dialog library.
#pragma once

// Prepares the host dialog classes for this module; called at attach.
void InitAcUiDLL();
bool AcUiInitialized();
