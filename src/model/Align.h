// Align X and Align Y of a stack, in the frame of its top line.
#pragma once

#include "model/EditState.h"

#include <functional>

// Puts every line's effective insertion point level with the top line's
// along the reading direction; each keeps its distance across it.
bool AlignX(EditState& state, const std::function<void()>& afterRefresh = {});
// Puts line i i line spacings below the top line, across the reading
// direction; each keeps its position along it.
bool AlignY(EditState& state, const std::function<void()>& afterRefresh = {});
