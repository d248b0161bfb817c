#include "model/WriteBack.h"

#include "model/Diagnostics.h"
#include "model/EntityText.h"
#include "model/HostFamily.h"
#include "model/InsertionPoint.h"

#include "qarx/ap.h"

#include <algorithm>

TextLines::TextLines(std::wstring text) : text_(std::move(text)) {
    // One text with CR line ends, as the editor gives it back.
    std::wstring normal;
    normal.reserve(text_.size());
    for (size_t i = 0; i < text_.size(); ++i) {
        if (text_[i] == L'\r' && i + 1 < text_.size() && text_[i + 1] == L'\n') continue;
        normal += text_[i] == L'\n' ? L'\r' : text_[i];
    }
    text_.swap(normal);
    starts_.push_back(0);
    for (size_t i = 0; i < text_.size(); ++i)
        if (text_[i] == L'\r') starts_.push_back(i + 1);
}

std::wstring TextLines::Line(int i) const {
    if (i < 0 || i >= LineCount()) return std::wstring();
    size_t b = starts_[static_cast<size_t>(i)];
    size_t e = static_cast<size_t>(i) + 1 < starts_.size() ? starts_[static_cast<size_t>(i) + 1] - 1 : text_.size();
    return text_.substr(b, e - b);
}

Acad::ErrorStatus SetEntityText(AcDbEntity* ent, const ACHAR* text) {
    if (auto* m = AcDbMText::cast(ent)) return m->setContents(text);
    if (auto* d = AcDbDimension::cast(ent)) return d->setDimensionText(text);
    return Acad::eOk;
}

void RefreshDrawing() {
    if (AcTransactionManager* tm = CurrentTransactionManager()) {
        tm->queueForGraphicsFlush();
        tm->flushGraphics();
    }
    acedUpdateDisplay();
}

namespace {

void EvaluateFields(AcDbObjectId id) {
    if (kHostEvaluatesFields) acdbEvaluateFields(id, 64, nullptr, nullptr, 1, nullptr, nullptr);
}

bool WriteWholeText(EditState& s, const EditorLines& lines) {
    std::wstring text = LinesToParagraphs(lines.Whole());
    AcDbEntity* ent = nullptr;
    Acad::ErrorStatus es = acdbOpenAcDbEntity(ent, s.currentObject, AcDb::kForWrite);
    if (es != Acad::eOk) {
        REPORT_FAILED_OPEN(es);
        return false;
    }
    SetEntityText(ent, text.c_str());
    ent->close();
    EvaluateFields(s.currentObject);
    RefreshDrawing();
    return true;
}

// Creates line j as a copy of the line above, one step below it.
bool CreateLine(EditState& s, const std::wstring& line) {
    s.currentObject = s.texts.back();
    AcDbText* above = nullptr;
    Acad::ErrorStatus es = acdbOpenObject(above, s.currentObject, AcDb::kForRead);
    if (es != Acad::eOk) {
        REPORT_FAILED_OPEN(es);
        return false;
    }
    auto* copy = static_cast<AcDbText*>(above->clone());
    AcDbObjectId ownerId = above->ownerId();
    above->close();
    AcDbBlockTableRecord* owner = nullptr;
    es = acdbOpenObject(owner, ownerId, AcDb::kForWrite);
    if (es != Acad::eOk) {
        delete copy;
        REPORT_FAILED_OPEN(es);
        return false;
    }
    AcDbObjectId id;
    es = owner->appendAcDbEntity(id, copy);
    owner->close();
    if (es != Acad::eOk) {
        // The host would not take it: it is no entity, and no line gets it.
        delete copy;
        REPORT_FAILED_OPEN(es);
        return false;
    }
    copy->setTextString(line.c_str());
    copy->close();
    s.texts.push_back(id);
    EvaluateFields(id);
    AcGePoint3d p;
    if (GetEffectiveInsertionPoint(s.currentObject, p) != Acad::eOk) return false;
    p.x += s.stepX;
    p.y -= s.stepY;
    return SetEffectiveInsertionPoint(id, p) == Acad::eOk;
}

bool WriteStack(EditState& s, const EditorLines& lines) {
    const size_t count = static_cast<size_t>(std::max(1, lines.LineCount()));
    const size_t n = s.texts.size(), m = std::min(count, n);
    for (size_t i = 0; i < m; ++i) {
        AcDbText* t = nullptr;
        Acad::ErrorStatus es = acdbOpenObject(t, s.texts[i], AcDb::kForWrite);
        if (es != Acad::eOk) {
            REPORT_FAILED_OPEN(es);
            return false;
        }
        t->setTextString(lines.Line(static_cast<int>(i)).c_str());
        t->close();
        EvaluateFields(s.texts[i]);
    }
    for (size_t j = n; j < count; ++j)
        if (!CreateLine(s, lines.Line(static_cast<int>(j)))) return false;
    while (s.texts.size() > count) {
        AcDbObject* obj = nullptr;
        Acad::ErrorStatus es = acdbOpenAcDbObject(obj, s.texts.back(), AcDb::kForWrite);
        if (es != Acad::eOk) {
            REPORT_FAILED_OPEN(es);
            return false;
        }
        s.texts.pop_back();
        obj->erase(true);
        obj->close();
    }
    RefreshDrawing();
    return true;
}

} // namespace

bool ApplyEditorText(EditState& s, const EditorLines& lines) {
    AcAxDocLock lock(acdbHostApplicationServices()->workingDatabase(), AcAxDocLock::kNormal);
    if (lock.lockStatus() != Acad::eOk) return false; // a refused lock just ends the step
    if (s.mode == MTEXT || s.mode == DIM) return WriteWholeText(s, lines);
    if (s.mode == DTEXT && !s.texts.empty()) return WriteStack(s, lines);
    return false;
}
