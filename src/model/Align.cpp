#include "model/Align.h"

#include "model/InsertionPoint.h"
#include "model/WriteBack.h"

#include "qarx/ap.h"

namespace {

// Moves lines 1 to n-1 (the top line never moves) to the point the rule
// gives from the line's along (a) and downward (d) coordinates.
template <class Rule> bool Align(EditState& s, const std::function<void()>& afterRefresh, Rule rule) {
    if (s.mode != DTEXT) return false;
    const double c = s.cosRotation, sn = s.sinRotation;
    AcAxDocLock lock(acdbHostApplicationServices()->workingDatabase(), AcAxDocLock::kNormal);
    if (lock.lockStatus() != Acad::eOk) return false;
    for (size_t i = 1; i < s.texts.size(); ++i) {
        AcGePoint3d p;
        if (GetEffectiveInsertionPoint(s.texts[i], p) != Acad::eOk) return false;
        double a = p.x * c + p.y * sn, d = p.x * sn - p.y * c;
        rule(i, a, d);
        p.x = a * c + d * sn;
        p.y = a * sn - d * c;
        if (SetEffectiveInsertionPoint(s.texts[i], p) != Acad::eOk) return false;
    }
    RefreshDrawing();
    if (afterRefresh) afterRefresh();
    return true;
}

} // namespace

bool AlignX(EditState& s, const std::function<void()>& afterRefresh) {
    const double a0 = s.baseX * s.cosRotation + s.baseY * s.sinRotation;
    return Align(s, afterRefresh, [&](size_t, double& a, double&) { a = a0; });
}

bool AlignY(EditState& s, const std::function<void()>& afterRefresh) {
    const double d0 = s.baseX * s.sinRotation - s.baseY * s.cosRotation;
    return Align(s, afterRefresh,
                 [&](size_t i, double&, double& d) { d = d0 + static_cast<double>(i) * s.lineSpacing; });
}
