#include "model/InsertionPoint.h"

#include "model/Diagnostics.h"

namespace {

AcGePoint3d Plus(const AcGePoint3d& a, double dx, double dy, double dz) { return {a.x + dx, a.y + dy, a.z + dz}; }

} // namespace

TextPoints MoveEffectiveInsertionPoint(int h, int v, const TextPoints& old, const AcGePoint3d& p) {
    TextPoints moved = old;
    bool byAlignment = UsesAlignmentPoint(h, v);
    if (h == AcDb::kTextAlign || h == AcDb::kTextFit) {
        // The displacement is taken from the point that governs, so that the
        // text's effective insertion point ends up at p in every mode.
        const AcGePoint3d& from = byAlignment ? old.alignment : old.position;
        double dx = p.x - from.x, dy = p.y - from.y, dz = p.z - from.z;
        moved.position = Plus(old.position, dx, dy, dz);
        moved.alignment = Plus(old.alignment, dx, dy, dz);
    } else if (byAlignment) {
        moved.alignment = p;
    } else {
        moved.position = p;
    }
    return moved;
}

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

Acad::ErrorStatus SetEffectiveInsertionPoint(AcDbObjectId id, const AcGePoint3d& point) {
    AcDbText* text = nullptr;
    Acad::ErrorStatus es = acdbOpenObject(text, id, AcDb::kForWrite);
    if (es != Acad::eOk) {
        REPORT_FAILED_OPEN(es);
        return es;
    }
    TextPoints moved = MoveEffectiveInsertionPoint(text->horizontalMode(), text->verticalMode(),
                                                   {text->position(), text->alignmentPoint()}, point);
    // The host's refusal of a point leaves the text where it is.
    text->setPosition(moved.position);
    text->setAlignmentPoint(moved.alignment);
    text->close();
    return Acad::eOk;
}
