#include "HostImpl.h"

#include "db/DatabaseImpl.h"

#include <cmath>
#include <cstdarg>
#include <cwchar>
#include <cwctype>

using qarx::Host;

namespace {

bool IsStringCode(int c) {
    return c == RTSTR || c == RTDXF0 || c == -4 || (c >= 0 && c <= 9) || (c >= 1000 && c <= 1009);
}
bool IsPointCode(int c) { return c == RTPOINT || c == RT3DPOINT || (c >= 10 && c <= 39); }
bool IsRealCode(int c) { return c == RTREAL || (c >= 40 && c <= 59); }
bool IsShortCode(int c) { return c == RTSHORT || (c >= 60 && c <= 79); }

} // namespace

resbuf* acutNewRb(int type) {
    auto* rb = new resbuf{};
    rb->restype = static_cast<short>(type);
    return rb;
}

resbuf* acutBuildList(int code, ...) {
    va_list ap;
    va_start(ap, code);
    resbuf *head = nullptr, *tail = nullptr;
    for (; code != 0; code = va_arg(ap, int)) {
        resbuf* rb = acutNewRb(code);
        if (IsStringCode(code))
            rb->resval.rstring = acutNewString(va_arg(ap, const ACHAR*));
        else if (IsPointCode(code)) {
            const double* p = va_arg(ap, const double*);
            for (int i = 0; i < 3; ++i)
                rb->resval.rpoint[i] = p[i];
        } else if (IsRealCode(code))
            rb->resval.rreal = va_arg(ap, double);
        else if (IsShortCode(code))
            rb->resval.rint = static_cast<short>(va_arg(ap, int));
        else
            rb->resval.rlong = va_arg(ap, int);
        (tail ? tail->rbnext : head) = rb;
        tail = rb;
    }
    va_end(ap);
    return head;
}

int acutRelRb(resbuf* rb) {
    while (rb) {
        resbuf* next = rb->rbnext;
        if (IsStringCode(rb->restype)) acutDelString(rb->resval.rstring);
        delete rb;
        rb = next;
    }
    return RTNORM;
}

namespace qarx {

namespace {

bool WildMatch(const wchar_t* pat, const wchar_t* s) {
    if (*pat == 0) return *s == 0;
    if (*pat == L'*') return WildMatch(pat + 1, s) || (*s && WildMatch(pat, s + 1));
    if (*s == 0) return false;
    if (*pat == L'?' || std::towupper(*pat) == std::towupper(*s)) return WildMatch(pat + 1, s + 1);
    return false;
}

// A comma-separated list of wild-card patterns, as filter strings are.
bool MatchList(const std::wstring& list, const wchar_t* value) {
    size_t start = 0;
    while (true) {
        size_t comma = list.find(L',', start);
        std::wstring one = list.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
        if (WildMatch(one.c_str(), value)) return true;
        if (comma == std::wstring::npos) return false;
        start = comma + 1;
    }
}

bool Test(const AcDbEntity& ent, const resbuf* item) {
    switch (item->restype) {
    case 0:
    case RTDXF0: return MatchList(item->resval.rstring, ent.isA()->dxfName());
    case 8: return MatchList(item->resval.rstring, ent.layer());
    default: return true; // what the host does not know does not narrow the set
    }
}

// Evaluates the list from rb up to the closing operator of the group; leaves
// rb after it.
bool Group(const AcDbEntity& ent, const resbuf*& rb, const std::wstring& op) {
    bool andOp = op == L"and" || op.empty(), orOp = op == L"or", notOp = op == L"not";
    bool result = andOp || notOp, any = false;
    while (rb) {
        if (rb->restype == -4) {
            std::wstring v = rb->resval.rstring;
            rb = rb->rbnext;
            if (v.size() > 1 && v[0] == L'<') {
                bool r = Group(ent, rb, v.substr(1));
                any = true;
                if (orOp)
                    result = result || r;
                else
                    result = result && r;
                continue;
            }
            break; // a closing operator ends this group
        }
        bool r = Test(ent, rb);
        any = true;
        if (orOp)
            result = result || r;
        else
            result = result && r;
        rb = rb->rbnext;
    }
    if (orOp && !any) result = true;
    return notOp ? !result : result;
}

} // namespace

bool PassesFilter(const AcDbEntity& ent, const resbuf* filter) {
    const resbuf* rb = filter;
    return Group(ent, rb, L"");
}

namespace {

// Rough outline of an entity's text, for picking: a rectangle in the text's
// own direction from its insertion point.
bool Outline(const AcDbEntity& ent, double x, double y, double box) {
    double px, py, w, h, rot = 0;
    if (auto* t = AcDbText::cast(&ent)) {
        bool byAlignment = IsJustified(*t);
        AcGePoint3d p = byAlignment ? t->alignmentPoint() : t->position();
        h = t->height();
        w = std::wcslen(t->textStringConst()) * h * 0.7 * t->widthFactor();
        rot = t->rotation();
        double fx = 0, fy = 0;
        if (byAlignment) {
            int hm = t->horizontalMode();
            fx = hm == AcDb::kTextCenter || hm == AcDb::kTextMid ? 0.5 : hm == AcDb::kTextRight ? 1 : 0;
            int vm = t->verticalMode();
            fy = hm == AcDb::kTextMid || vm == AcDb::kTextVertMid ? 0.5 : vm == AcDb::kTextTop ? 1 : 0;
        }
        // Local coordinates of the point relative to the outline's lower left corner.
        double dx = x - p.x, dy = y - p.y;
        double lx = dx * std::cos(rot) + dy * std::sin(rot) + fx * w;
        double ly = -dx * std::sin(rot) + dy * std::cos(rot) + fy * h;
        return lx >= -box && lx <= w + box && ly >= -box && ly <= h + box;
    }
    if (auto* m = AcDbMText::cast(&ent)) {
        px = m->location().x, py = m->location().y;
        h = m->textHeight();
        size_t lines = 1, longest = 0, cur = 0;
        for (const wchar_t* c = m->contentsConst(); *c; ++c) {
            if (c[0] == L'\\' && c[1] == L'P') {
                ++lines, cur = 0, ++c;
                continue;
            }
            longest = std::max(longest, ++cur);
        }
        w = m->width() > 0 ? m->width() : longest * h * 0.7;
        double tall = lines * h * 1.667;
        return x >= px - box && x <= px + w + box && y <= py + box && y >= py - tall - box;
    }
    if (auto* d = AcDbDimension::cast(&ent)) {
        h = d->dimtxt();
        px = d->textPosition().x, py = d->textPosition().y;
        double half = std::max<size_t>(std::wcslen(d->dimensionTextConst()), 4) * h * 0.35;
        return std::fabs(x - px) <= half + box && std::fabs(y - py) <= h + box;
    }
    return false;
}

} // namespace

bool IsJustified(const AcDbText& t) {
    return t.verticalMode() != AcDb::kTextBase ||
           (t.horizontalMode() != AcDb::kTextLeft && t.horizontalMode() != AcDb::kTextAlign &&
            t.horizontalMode() != AcDb::kTextFit);
}

std::vector<AcDbObjectId> EntitiesAt(AcDbDatabase& db, double x, double y, double box) {
    std::vector<AcDbObjectId> out;
    auto* ms = static_cast<AcDbBlockTableRecord*>(DatabaseImpl::peek(db.modelSpaceId()));
    for (AcDbObjectId id : ms->entities()) {
        auto* ent = static_cast<AcDbEntity*>(DatabaseImpl::peek(id));
        if (!ent->isErased() && Outline(*ent, x, y, box)) out.push_back(id);
    }
    return out;
}

} // namespace qarx

namespace {

void MakeSetName(std::int64_t set, ads_name ss) {
    ss[0] = set;
    ss[1] = 0x5353; // "SS": a set name, not an entity name
}

int NewSet(std::vector<AcDbObjectId> ids, ads_name ss) {
    Host& h = Host::get();
    std::int64_t n = h.nextSet_++;
    h.sets_[n] = std::move(ids);
    MakeSetName(n, ss);
    return RTNORM;
}

std::vector<AcDbObjectId>* FindSet(const ads_name ss) {
    auto& sets = Host::get().sets_;
    auto it = ss[1] == 0x5353 ? sets.find(ss[0]) : sets.end();
    return it == sets.end() ? nullptr : &it->second;
}

std::vector<AcDbObjectId> Filtered(const std::vector<AcDbObjectId>& ids, const resbuf* filter) {
    std::vector<AcDbObjectId> out;
    for (AcDbObjectId id : ids) {
        auto* ent = AcDbEntity::cast(qarx::DatabaseImpl::peek(id));
        if (ent && !ent->isErased() && (!filter || qarx::PassesFilter(*ent, filter))) out.push_back(id);
    }
    return out;
}

} // namespace

int acedSSGet(const ACHAR* mode, const void* pt1, const void*, const resbuf* filter, ads_name ss) {
    Host& h = Host::get();
    AcApDocument* doc = h.current();
    if (!doc) return RTERROR;
    if (mode && std::wcscmp(mode, L":E") == 0) {
        if (!pt1) return RTERROR;
        auto* p = static_cast<const double*>(pt1);
        double box = 5 * h.view.unitsPerPixel;
        auto ids = Filtered(qarx::EntitiesAt(*doc->database(), p[0], p[1], box), filter);
        if (ids.empty()) return RTERROR;
        return NewSet(std::move(ids), ss);
    }
    if (mode) return RTERROR;
    if ((h.runningFlags_ & ACRX_CMD_USEPICKSET) && !h.pickFirst_.empty()) {
        auto ids = Filtered(h.pickFirst_, filter);
        h.pickFirst_.clear();
        if (!ids.empty()) return NewSet(std::move(ids), ss);
    }
    while (h.answers_.empty())
        if (!h.promptPump || !h.promptPump()) return RTCAN;
    qarx::SelectionAnswer a = std::move(h.answers_.front());
    h.answers_.erase(h.answers_.begin());
    // The prompt and its answer are the host's own dialogue, not output.
    if (a.kind == qarx::SelectionAnswer::kCancel) return RTCAN;
    auto ids = Filtered(a.entities, filter);
    if (ids.empty()) return RTERROR; // Enter with nothing selected makes no set
    return NewSet(std::move(ids), ss);
}

int acedSSGetFirst(resbuf** gripSet, resbuf** pickSet) {
    Host& h = Host::get();
    if (gripSet) *gripSet = nullptr;
    if (!pickSet) return RTNORM;
    *pickSet = nullptr;
    if (h.pickFirst_.empty()) return RTNORM;
    resbuf* rb = acutNewRb(RTPICKS);
    NewSet(h.pickFirst_, rb->resval.rlname);
    *pickSet = rb;
    return RTNORM;
}

int acedSSLength(const ads_name ss, Adesk::Int32* len) {
    auto* set = FindSet(ss);
    if (!set) return RTERROR;
    *len = static_cast<Adesk::Int32>(set->size());
    return RTNORM;
}

int acedSSName(const ads_name ss, Adesk::Int32 i, ads_name entity) {
    auto* set = FindSet(ss);
    if (!set || i < 0 || static_cast<size_t>(i) >= set->size()) return RTERROR;
    return acdbGetAdsName(entity, (*set)[static_cast<size_t>(i)]) == Acad::eOk ? RTNORM : RTERROR;
}

int acedSSFree(const ads_name ss) {
    auto& sets = Host::get().sets_;
    if (ss[1] != 0x5353 || !sets.erase(ss[0])) return RTERROR;
    return RTNORM;
}

Acad::ErrorStatus acdbGetAdsName(ads_name entity, AcDbObjectId id) {
    if (id.isNull()) return Acad::eNullObjectId;
    entity[0] = reinterpret_cast<std::int64_t>(id.stub());
    entity[1] = 0x454E; // "EN"
    return Acad::eOk;
}

Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name entity) {
    id = AcDbObjectId();
    if (entity[1] != 0x454E || entity[0] == 0) return Acad::eInvalidInput;
    id = AcDbObjectId(reinterpret_cast<qarx::ObjectStub*>(entity[0]));
    return Acad::eOk;
}
