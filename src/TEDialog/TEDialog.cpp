#include "TEDialog/TEDialog.h"

int CTEDialog::DoModal() { return 2; }
