#include "Fixture.h"

namespace {

using DatabaseTest = HostTest;

TEST_F(DatabaseTest, OpenStatesFollowTheHostsRules) {
    AcDbObjectId id = addText(L"a", 0, 0);
    AcDbText *r1 = nullptr, *r2 = nullptr, *w = nullptr;
    ASSERT_EQ(acdbOpenObject(r1, id, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(r2, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(acdbOpenObject(w, id, AcDb::kForWrite), Acad::eWasOpenForRead);
    EXPECT_EQ(r1->setTextString(L"b"), Acad::eNotOpenForWrite);
    EXPECT_EQ(qarx::OpenObjectCount(), 2);
    r1->close();
    r2->close();
    ASSERT_EQ(acdbOpenObject(w, id, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(acdbOpenObject(r1, id, AcDb::kForRead), Acad::eWasOpenForWrite);
    EXPECT_EQ(w->setTextString(L"b"), Acad::eOk);
    EXPECT_EQ(w->erase(), Acad::eOk);
    w->close();
    EXPECT_EQ(acdbOpenObject(r1, id, AcDb::kForRead), Acad::eWasErased);
    EXPECT_STREQ(acadErrorStatusText(Acad::eWasErased), L"eWasErased");
    AcDbMText* m = nullptr;
    EXPECT_EQ(acdbOpenObject(m, addText(L"t", 0, 0), AcDb::kForRead), Acad::eNotApplicable);
    EXPECT_EQ(acdbOpenObject(m, AcDbObjectId(), AcDb::kForRead), Acad::eNullObjectId);
}

TEST_F(DatabaseTest, EntityOnALockedLayerOpensForReadOnly) {
    auto* t = new AcDbText;
    t->setLayer(L"0");
    AcDbObjectId id = append(t);
    AcDbSymbolTable* layers = nullptr;
    ASSERT_EQ(acdbOpenObject(layers, db->layerTableId(), AcDb::kForRead), Acad::eOk);
    AcDbObjectId layer;
    ASSERT_EQ(layers->getAt(L"0", layer), Acad::eOk);
    layers->close();
    AcDbLayerTableRecord* rec = nullptr;
    ASSERT_EQ(acdbOpenObject(rec, layer, AcDb::kForWrite), Acad::eOk);
    rec->setIsLocked(true);
    rec->close();
    AcDbEntity* e = nullptr;
    EXPECT_EQ(acdbOpenAcDbEntity(e, id, AcDb::kForWrite), Acad::eOnLockedLayer);
    ASSERT_EQ(acdbOpenAcDbEntity(e, id, AcDb::kForRead), Acad::eOk);
    e->close();
}

TEST_F(DatabaseTest, KindTestsFollowClassDerivation) {
    AcDbAttributeDefinition attdef;
    AcDbDimension dim;
    AcDbForeignEntity line(L"LINE");
    EXPECT_TRUE(AcDbText::cast(&attdef));
    EXPECT_TRUE(attdef.isKindOf(AcDbEntity::desc()));
    EXPECT_FALSE(AcDbMText::cast(&dim));
    EXPECT_TRUE(AcDbDimension::cast(&dim));
    EXPECT_FALSE(AcDbText::cast(&line));
    EXPECT_TRUE(AcDbEntity::cast(&line));
    EXPECT_STREQ(line.isA()->dxfName(), L"LINE");
    EXPECT_EQ(line.isA(), AcDbForeignEntity(L"LINE").isA());
}

TEST_F(DatabaseTest, AnOpenHookFailsTheOpensItChooses) {
    AcDbObjectId a = addText(L"a", 0, 0), b = addText(L"b", 0, 0);
    qarx::SetOpenHook([&](AcDbObjectId id, AcDb::OpenMode mode) {
        return id == b && mode == AcDb::kForWrite ? Acad::eOnLockedLayer : Acad::eOk;
    });
    AcDbText* t = nullptr;
    EXPECT_EQ(acdbOpenObject(t, b, AcDb::kForWrite), Acad::eOnLockedLayer);
    ASSERT_EQ(acdbOpenObject(t, a, AcDb::kForWrite), Acad::eOk);
    t->close();
}

TEST_F(DatabaseTest, FieldCodesInATextBecomeItsTextField) {
    AcDbObjectId id = addText(L"Drawn %<\\AcVar Date \\f \"d.M.yyyy\">%", 0, 0);
    int found = -1;
    ASSERT_EQ(acdbEvaluateFields(id, 64, nullptr, nullptr, 1, &found), Acad::eOk);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(FieldCode(id), L"Drawn %<\\AcVar Date \\f \"d.M.yyyy\">%");
    AcDbText* t = nullptr;
    // Plain text again: the field goes.
    ASSERT_EQ(acdbOpenObject(t, id, AcDb::kForWrite), Acad::eOk);
    t->setTextString(L"Drawn today");
    t->close();
    ASSERT_EQ(acdbEvaluateFields(id, 64), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(t, id, AcDb::kForRead), Acad::eOk);
    EXPECT_FALSE(t->hasFields());
    t->close();
}

TEST_F(DatabaseTest, NumbersFollowTheDrawingsUnits) {
    ACHAR buf[64];
    db->units().luprec = 3;
    ASSERT_EQ(acdbRToS(2.5, -1, -1, buf, 64), RTNORM);
    EXPECT_STREQ(buf, L"2.500");
    ASSERT_EQ(acdbRToS(-0.0001, 2, 2, buf, 64), RTNORM);
    EXPECT_STREQ(buf, L"0.00");
    ASSERT_EQ(acdbRToS(1500, 1, 2, buf, 64), RTNORM);
    EXPECT_STREQ(buf, L"1.50E+03");
    double v = 0;
    EXPECT_EQ(acdbDisToF(L" 12.75 ", -1, &v), RTNORM);
    EXPECT_EQ(v, 12.75);
    EXPECT_EQ(acdbDisToF(L"1.5e2", -1, &v), RTNORM);
    EXPECT_EQ(v, 150);
    for (const wchar_t* bad : {L"", L"abc", L"1.5x", L"nan"})
        EXPECT_EQ(acdbDisToF(bad, -1, &v), RTERROR) << bad;
}

} // namespace
