#include "model/InsertionPoint.h"

#include "model/Diagnostics.h"

AcGePoint3d EffectiveInsertionPoint(const AcDbText& text) {
    return UsesAlignmentPoint(text.horizontalMode(), text.verticalMode()) ? text.alignmentPoint() : text.position();
}

Acad::ErrorStatus GetEffectiveInsertionPoint(AcDbObjectId id, AcGePoint3d& point) {
    AcDbText* text = nullptr;
    Acad::ErrorStatus es = acdbOpenObject(text, id, AcDb::kForRead);
    if (es != Acad::eOk) {
        REPORT_FAILED_OPEN(es);
        return es;
    }
    point = EffectiveInsertionPoint(*text);
    text->close();
    return Acad::eOk;
}
