// A host with one drawing, for tests that play the host.
#pragma once

#include "qarx/hostctl.h"

#include "db/DatabaseImpl.h"
#include "dxf/DxfDocument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <set>
#include <string>

// Points print as the geometry they are, so a failure shows where a text went.
inline std::ostream& operator<<(std::ostream& os, const AcGePoint3d& p) {
    return os << "(" << p.x << ", " << p.y << ", " << p.z << ")";
}

inline std::string DataFile(const std::string& name) { return std::string(QUENDREL_DXF_DATA) + "/" + name; }

// Takes the entity into the drawing's model space and closes it.
inline AcDbObjectId AppendToModelSpace(AcDbDatabase& db, AcDbEntity* e) {
    AcDbBlockTableRecord* ms = nullptr;
    EXPECT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(ms->appendAcDbEntity(id, e), Acad::eOk);
    e->close();
    ms->close();
    return id;
}

// The code of an object's TEXT field; empty when it has none.
inline std::wstring FieldCode(AcDbObjectId id) {
    AcDbObject* obj = nullptr;
    if (acdbOpenAcDbObject(obj, id, AcDb::kForRead) != Acad::eOk) return L"<not open>";
    std::wstring out;
    AcDbField* f = nullptr;
    if (obj->getField(L"TEXT", f, AcDb::kForRead) == Acad::eOk) {
        ACHAR* code = f->getFieldCode(AcDbField::kFieldCode);
        out = code;
        acutDelString(code);
        f->close();
    }
    obj->close();
    return out;
}

class HostTest : public ::testing::Test {
protected:
    void SetUp() override { useDatabase(std::make_unique<AcDbDatabase>()); }
    void TearDown() override {
        qarx::Host& h = qarx::Host::get();
        EXPECT_EQ(qarx::OpenObjectCount(), 0) << "an object was left open";
        qarx::SetOpenHook(nullptr);
        qarx::SetAppendHook(nullptr);
        h.closeAllDocuments();
        h.takeCommandLine();
        h.promptPump = nullptr;
        h.setPickFirst({});
        h.setRefuseLocks(false);
        h.setDocManagerAvailable(true);
    }
    void useDatabase(std::unique_ptr<AcDbDatabase> d) {
        qarx::Host::get().closeAllDocuments();
        db = d.get();
        doc = qarx::Host::get().addDocument(std::move(d), L"test.dxf");
    }
    // A TEXT in model space, closed again.
    AcDbObjectId addText(const wchar_t* s, double x, double y, double rotation = 0) {
        auto* t = new AcDbText;
        t->setTextString(s);
        t->setPosition({x, y, 0});
        t->setRotation(rotation);
        return append(t);
    }
    AcDbObjectId append(AcDbEntity* e) { return AppendToModelSpace(*db, e); }
    AcDbObjectId addForeign(const wchar_t* dxfName) { return append(new AcDbForeignEntity(dxfName)); }
    void answer(std::vector<AcDbObjectId> ids) {
        qarx::Host::get().queueSelection({qarx::SelectionAnswer::kEntities, std::move(ids)});
    }
    AcDbDatabase* db = nullptr;
    AcApDocument* doc = nullptr;
};
