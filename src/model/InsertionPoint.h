// A TEXT is located by its position or by its alignment point, by its
// justification: the text model moves texts only through these.
#pragma once

#include "qarx/db.h"

// Left-baseline, aligned and fit texts are located by their position,
// every other justification by the alignment point.
constexpr bool UsesAlignmentPoint(int horizontalMode, int verticalMode) {
    return verticalMode != AcDb::kTextBase || (horizontalMode != AcDb::kTextLeft &&
                                               horizontalMode != AcDb::kTextAlign && horizontalMode != AcDb::kTextFit);
}

AcGePoint3d EffectiveInsertionPoint(const AcDbText& text);
// Opens the TEXT for read; a failed open is reported and returned.
Acad::ErrorStatus GetEffectiveInsertionPoint(AcDbObjectId id, AcGePoint3d& point);
