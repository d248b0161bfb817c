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

struct TextPoints {
    AcGePoint3d position, alignment;
};

// The two points of a text moved so that its effective insertion point
// becomes p. Aligned and fit texts move both points by the same
// displacement, keeping their fitted length and direction.
TextPoints MoveEffectiveInsertionPoint(int horizontalMode, int verticalMode, const TextPoints& old,
                                       const AcGePoint3d& p);

AcGePoint3d EffectiveInsertionPoint(const AcDbText& text);
// Open the TEXT (read, then write to move it); a failed open is reported on
// the command line and returned.
Acad::ErrorStatus GetEffectiveInsertionPoint(AcDbObjectId id, AcGePoint3d& point);
Acad::ErrorStatus SetEffectiveInsertionPoint(AcDbObjectId id, const AcGePoint3d& point);
