#include "Fixture.h"

namespace {

using SelectionTest = HostTest;

struct FilterCase {
    const char* name;
    std::function<resbuf*()> build;
    bool text, mtext, line;
};

TEST_F(SelectionTest, FiltersSelectByKindAndLayer) {
    AcDbText text;
    AcDbMText mtext;
    AcDbForeignEntity line(L"LINE");
    mtext.setLayer(L"NOTES");
    const FilterCase cases[] = {
        {"or of kinds", [] { return acutBuildList(-4, L"<or", RTDXF0, L"TEXT", RTDXF0, L"MTEXT", -4, L"or>", 0); },
         true, true, false},
        {"one kind", [] { return acutBuildList(RTDXF0, L"LINE", 0); }, false, false, true},
        {"wild cards", [] { return acutBuildList(RTDXF0, L"*TEXT", 0); }, true, true, false},
        {"list", [] { return acutBuildList(RTDXF0, L"line,mtext", 0); }, false, true, true},
        {"not", [] { return acutBuildList(-4, L"<not", RTDXF0, L"TEXT", -4, L"not>", 0); }, false, true, true},
        {"and with layer", [] { return acutBuildList(-4, L"<and", RTDXF0, L"*TEXT", 8, L"NOTES", -4, L"and>", 0); },
         false, true, false},
        {"empty", [] { return static_cast<resbuf*>(nullptr); }, true, true, true},
    };
    for (const FilterCase& c : cases) {
        resbuf* f = c.build();
        EXPECT_EQ(qarx::PassesFilter(text, f), c.text) << c.name;
        EXPECT_EQ(qarx::PassesFilter(mtext, f), c.mtext) << c.name;
        EXPECT_EQ(qarx::PassesFilter(line, f), c.line) << c.name;
        acutRelRb(f);
    }
}

TEST_F(SelectionTest, PromptAnswersMakeSetsInTheirOrder) {
    AcDbObjectId a = addText(L"a", 0, 0), b = addText(L"b", 0, 10), line = addForeign(L"LINE");
    resbuf* texts = acutBuildList(RTDXF0, L"TEXT", 0);
    answer({b, line, a});
    ads_name ss;
    ASSERT_EQ(acedSSGet(nullptr, nullptr, nullptr, texts, ss), RTNORM);
    Adesk::Int32 n = 0;
    ASSERT_EQ(acedSSLength(ss, &n), RTNORM);
    ASSERT_EQ(n, 2);
    ads_name ent;
    AcDbObjectId id;
    ASSERT_EQ(acedSSName(ss, 0, ent), RTNORM);
    ASSERT_EQ(acdbGetObjectId(id, ent), Acad::eOk);
    EXPECT_EQ(id, b);
    EXPECT_EQ(acedSSName(ss, 2, ent), RTERROR);
    EXPECT_EQ(qarx::Host::get().selectionSets(), 1);
    EXPECT_EQ(acedSSFree(ss), RTNORM);
    EXPECT_EQ(acedSSFree(ss), RTERROR);
    EXPECT_EQ(qarx::Host::get().selectionSets(), 0);

    // Only a line picked: nothing passes, no set. Enter: no set. Esc: cancelled.
    answer({line});
    EXPECT_EQ(acedSSGet(nullptr, nullptr, nullptr, texts, ss), RTERROR);
    qarx::Host::get().queueSelection({qarx::SelectionAnswer::kEnter, {}});
    EXPECT_EQ(acedSSGet(nullptr, nullptr, nullptr, texts, ss), RTERROR);
    qarx::Host::get().queueSelection({qarx::SelectionAnswer::kCancel, {}});
    EXPECT_EQ(acedSSGet(nullptr, nullptr, nullptr, texts, ss), RTCAN);
    // No answer and no more input: the prompt is cancelled.
    EXPECT_EQ(acedSSGet(nullptr, nullptr, nullptr, texts, ss), RTCAN);
    EXPECT_EQ(qarx::Host::get().selectionSets(), 0);
    EXPECT_EQ(qarx::Host::get().takeCommandLine(), L"");
    acutRelRb(texts);
}

TEST_F(SelectionTest, PickAtAPointFindsTheTextUnderIt) {
    AcDbObjectId a = addText(L"hello", 10, 10);
    addText(L"far away", 500, 500);
    ads_name ss;
    double inside[3] = {11, 11, 0}, outside[3] = {100, 100, 0};
    ASSERT_EQ(acedSSGet(L":E", inside, nullptr, nullptr, ss), RTNORM);
    ads_name ent;
    AcDbObjectId id;
    acedSSName(ss, 0, ent);
    acdbGetObjectId(id, ent);
    EXPECT_EQ(id, a);
    acedSSFree(ss);
    EXPECT_EQ(acedSSGet(L":E", outside, nullptr, nullptr, ss), RTERROR);
}

} // namespace
