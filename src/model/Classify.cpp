#include "model/Diagnostics.h"
#include "model/EditState.h"
#include "model/InsertionPoint.h"
#include "ui/Localization.h"

#include "res/resource.h"

#include <algorithm>
#include <cmath>

namespace {

double Upward(const EditState& s, const AcGePoint3d& p) { return p.y * s.cosRotation - p.x * s.sinRotation; }

// A one-line stack has no measured spacing; the next line goes where a
// draughtsman's next line of that height would: one line of text at the
// usual spacing of five thirds of the height.
constexpr double kSingleLineSpacing = 5.0 / 3.0;

} // namespace

bool ClassifySelection(EditState& s) {
    Adesk::Int32 n = 0;
    if (acedSSLength(s.selectionSet, &n) != RTNORM || n == 0) return false;
    for (Adesk::Int32 i = 0; i < n; ++i) {
        ads_name ent;
        acedSSName(s.selectionSet, i, ent);
        acdbGetObjectId(s.currentObject, ent);
        AcDbEntity* e = nullptr;
        Acad::ErrorStatus es = acdbOpenAcDbEntity(e, s.currentObject, AcDb::kForRead);
        if (es != Acad::eOk) {
            REPORT_FAILED_OPEN(es);
            s.texts.clear();
            return false;
        }
        if (AcDbText::cast(e)) s.texts.push_back(s.currentObject);
        e->close();
    }
    s.mode = DTEXT;
    if (s.texts.empty()) {
        ads_name ent;
        acedSSName(s.selectionSet, 0, ent);
        acdbGetObjectId(s.currentObject, ent);
        AcDbEntity* e = nullptr;
        Acad::ErrorStatus es = acdbOpenAcDbEntity(e, s.currentObject, AcDb::kForRead);
        if (es != Acad::eOk) {
            REPORT_FAILED_OPEN(es);
            s.mode = UNKNOWN;
            return false;
        }
        if (AcDbMText::cast(e)) {
            s.mode = MTEXT;
        } else if (AcDbDimension::cast(e)) {
            s.mode = DIM;
        } else {
            s.mode = UNKNOWN;
            acutPrintf(L"%ls", LoadLocalizedString(IDS_ONLYTEXTS).c_str());
        }
        e->close();
    }
    if (s.mode == UNKNOWN) return false;
    if (s.mode == DTEXT) {
        ComputeLineFrame(s);
        SortTextStack(s);
    }
    return true;
}

double ComputeLineFrame(EditState& s) {
    AcGePoint3d p0, p1;
    if (!s.texts.empty() && GetEffectiveInsertionPoint(s.texts[0], p0) == Acad::eOk) {
        s.baseX = p0.x;
        s.baseY = p0.y;
        AcDbText* t = nullptr;
        Acad::ErrorStatus es = acdbOpenObject(t, s.texts[0], AcDb::kForRead);
        if (es == Acad::eOk) {
            s.height = t->height();
            s.rotation = t->rotation();
            s.sinRotation = std::sin(s.rotation);
            s.cosRotation = std::cos(s.rotation);
            t->close();
        } else {
            REPORT_FAILED_OPEN(es);
        }
        if (s.texts.size() >= 2) {
            if (GetEffectiveInsertionPoint(s.texts[1], p1) == Acad::eOk) s.lineSpacing = Upward(s, p0) - Upward(s, p1);
        } else if (s.lineSpacing == 0) {
            s.lineSpacing = kSingleLineSpacing * s.height;
        }
    }
    s.stepX = s.lineSpacing * s.sinRotation;
    s.stepY = s.lineSpacing * s.cosRotation;
    return s.lineSpacing;
}

void SortTextStack(EditState& s) {
    // Top line first; a strictly higher line moves up and equal ones keep
    // their selection order, so a stable sort on keys read once suffices.
    std::vector<std::pair<double, AcDbObjectId>> keyed;
    keyed.reserve(s.texts.size());
    for (AcDbObjectId id : s.texts) {
        AcGePoint3d p;
        if (GetEffectiveInsertionPoint(id, p) != Acad::eOk) return; // reported; the order stays
        keyed.emplace_back(Upward(s, p), id);
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](auto& a, auto& b) { return a.first > b.first; });
    for (size_t i = 0; i < keyed.size(); ++i)
        s.texts[i] = keyed[i].second;
}
