#include "Fixture.h"

#include "host/QuendrelApp.h"
#include "model/EditState.h"
#include "res/resource.h"
#include "ui/Localization.h"

#include <cmath>

CQuendrelApp theApp;

namespace {

class TECommandTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        ASSERT_EQ(theApp.dispatch(AcRx::kInitAppMsg, this, 15), AcRx::kRetOK);
    }
    void TearDown() override {
        theApp.dispatch(AcRx::kUnloadAppMsg, this, 15);
        HostTest::TearDown();
    }
    AcEdCommandStack* stack() { return static_cast<AcEdCommandStack*>(acrxSysRegistry()->at(ACRX_COMMAND_DOCK)); }
    void expectCleanHost() {
        qarx::Host& h = qarx::Host::get();
        EXPECT_TRUE(h.activationEnabled());
        EXPECT_EQ(h.selectionSets(), 0);
        EXPECT_EQ(h.locks(), 0);
        EXPECT_EQ(qarx::OpenObjectCount(), 0);
    }
};

TEST_F(TECommandTest, InitialiseRegistersTEAndUnloadRemovesIt) {
    const AcEdCommand* te = stack()->lookupCmd(L"TE");
    ASSERT_TRUE(te);
    EXPECT_EQ(te->group, L"Quendrel");
    EXPECT_EQ(te->globalName, L"_TE");
    EXPECT_EQ(te->flags, 0x400002);
    EXPECT_EQ(stack()->lookupCmd(L"_TE"), te);
    auto* linker = static_cast<AcRxDynamicLinker*>(acrxSysRegistry()->at(ACRX_DYNAMIC_LINKER));
    EXPECT_FALSE(linker->isApplicationLocked(this));
    EXPECT_TRUE(linker->isAppMDIAware(this));
    theApp.dispatch(AcRx::kUnloadAppMsg, this, 15);
    EXPECT_FALSE(stack()->lookupCmd(L"TE"));
    theApp.dispatch(AcRx::kInitAppMsg, this, 15);
    EXPECT_TRUE(stack()->lookupCmd(L"TE"));
}

TEST_F(TECommandTest, OtherMessagesAnswerOkAndDoNothing) {
    for (int code : {0, 3, 4, 5, 6, 15, 16, 40, -1}) {
        EXPECT_EQ(theApp.dispatch(static_cast<AcRx::AppMsgCode>(code), this, 15), AcRx::kRetOK) << code;
        EXPECT_EQ(qarx::Host::get().lispDefinitions(), 0) << code;
    }
    EXPECT_TRUE(stack()->lookupCmd(L"TE"));
}

TEST_F(TECommandTest, CancelledOrEmptySelectionEndsWithNothingDone) {
    addText(L"a", 0, 0);
    int redraws = qarx::Host::get().redraws();
    for (auto kind : {qarx::SelectionAnswer::kCancel, qarx::SelectionAnswer::kEnter}) {
        qarx::Host::get().queueSelection({kind, {}});
        ASSERT_TRUE(qarx::Host::get().runCommand(L"TE"));
        EXPECT_EQ(qarx::Host::get().redraws(), redraws);
        EXPECT_EQ(qarx::Host::get().takeCommandLine(), L"");
        expectCleanHost();
    }
}

TEST_F(TECommandTest, ARunRestoresTheHostAfterTheEditor) {
    AcDbObjectId a = addText(L"a", 0, 0), line = addForeign(L"LINE");
    answer({a, line});
    int redraws = qarx::Host::get().redraws();
    ASSERT_TRUE(qarx::Host::get().runCommand(L"TE"));
    EXPECT_EQ(qarx::Host::get().redraws(), redraws + 1);
    EXPECT_EQ(qarx::Host::get().lastGrTextBox(), -3);
    EXPECT_EQ(qarx::Host::get().takeCommandLine(), L"");
    expectCleanHost();
}

TEST_F(TECommandTest, PickFirstSelectionIsTakenWithoutAPrompt) {
    AcDbObjectId a = addText(L"a", 0, 0);
    qarx::Host::get().setPickFirst({a});
    int redraws = qarx::Host::get().redraws();
    ASSERT_TRUE(qarx::Host::get().runCommand(L"TE"));
    EXPECT_EQ(qarx::Host::get().redraws(), redraws + 1);
    EXPECT_TRUE(qarx::Host::get().pickFirst().empty());
    expectCleanHost();
}

using ClassifyTest = HostTest;

// A set of these entities, as the selection would make it.
void MakeSet(EditState& s, const std::vector<AcDbObjectId>& ids) {
    qarx::Host::get().queueSelection({qarx::SelectionAnswer::kEntities, ids});
    ASSERT_EQ(acedSSGet(nullptr, nullptr, nullptr, nullptr, s.selectionSet), RTNORM);
}

TEST_F(ClassifyTest, ModeFollowsTheKindsSelected) {
    auto* m = new AcDbMText;
    AcDbObjectId mtext = append(m), dim = append(new AcDbDimension), text = addText(L"t", 0, 0);
    AcDbObjectId line = addForeign(L"LINE");
    struct Case {
        std::vector<AcDbObjectId> ids;
        EditMode mode;
        bool ok;
    } cases[] = {
        {{mtext, text}, DTEXT, true},
        {{mtext, dim}, MTEXT, true},
        {{dim, mtext}, DIM, true},
        {{line, mtext}, UNKNOWN, false},
    };
    for (const Case& c : cases) {
        EditState s;
        MakeSet(s, c.ids);
        EXPECT_EQ(ClassifySelection(s), c.ok);
        EXPECT_EQ(s.mode, c.mode);
        acedSSFree(s.selectionSet);
    }
    EXPECT_EQ(qarx::Host::get().takeCommandLine(), LoadLocalizedString(IDS_ONLYTEXTS, kLangEnglish));
}

TEST_F(ClassifyTest, StackIsOrderedTopLineFirstWithEqualLinesInSelectionOrder) {
    AcDbObjectId low = addText(L"low", 0, 0), high = addText(L"high", 0, 20), mid = addText(L"mid", 5, 10),
                 midToo = addText(L"mid too", 50, 10);
    EditState s;
    MakeSet(s, {low, midToo, high, mid});
    ASSERT_TRUE(ClassifySelection(s));
    EXPECT_EQ(s.texts, (AcDbObjectIdArray{high, midToo, mid, low}));
    acedSSFree(s.selectionSet);
}

TEST_F(ClassifyTest, FrameComesFromTheTopTwoLines) {
    const double quarter = std::acos(-1.0) / 2;
    // Rotated by 90 degrees, picked right to left: the leftmost line is the top one.
    AcDbObjectId right = addText(L"r", 8, 0, quarter), left = addText(L"l", 2, 0, quarter),
                 middle = addText(L"m", 5, 0, quarter);
    EditState s;
    MakeSet(s, {right, middle, left});
    ASSERT_TRUE(ClassifySelection(s));
    EXPECT_EQ(s.texts, (AcDbObjectIdArray{left, middle, right}));
    EXPECT_NEAR(ComputeLineFrame(s), 3, 1e-12);
    EXPECT_EQ(s.baseX, 2);
    EXPECT_NEAR(s.stepX, 3, 1e-12);
    EXPECT_NEAR(s.stepY, 0, 1e-12);
    acedSSFree(s.selectionSet);

    // One line: the next goes one line of text below, at five thirds of the height.
    EditState one;
    MakeSet(one, {addText(L"alone", 0, 0)});
    ASSERT_TRUE(ClassifySelection(one));
    EXPECT_DOUBLE_EQ(one.lineSpacing, 2.5 * 5 / 3);
    EXPECT_DOUBLE_EQ(one.stepY, one.lineSpacing);
    acedSSFree(one.selectionSet);
}

TEST_F(ClassifyTest, FailedOpenIsReportedAndEndsTheRun) {
    AcDbObjectId a = addText(L"a", 0, 0);
    EditState s;
    MakeSet(s, {a});
    qarx::SetOpenHook([](AcDbObjectId, AcDb::OpenMode) { return Acad::eWasErased; });
    EXPECT_FALSE(ClassifySelection(s));
    qarx::SetOpenHook(nullptr);
    std::wstring said = qarx::Host::get().takeCommandLine();
    EXPECT_EQ(said.rfind(L"\n!Classify.cpp@", 0), 0u) << qarx::ToUtf8(said);
    EXPECT_NE(said.find(L": eWasErased"), std::wstring::npos);
    acedSSFree(s.selectionSet);
}

} // namespace
