#include "Fixture.h"

#include "model/Align.h"
#include "model/EntityText.h"
#include "model/InsertionPoint.h"
#include "model/WriteBack.h"

#include <cmath>
#include <random>

namespace {

void ExpectNear(const AcGePoint3d& a, const AcGePoint3d& b, const char* what = "") {
    EXPECT_NEAR(a.x, b.x, 1e-9) << what << " " << a << " vs " << b;
    EXPECT_NEAR(a.y, b.y, 1e-9) << what << " " << a << " vs " << b;
    EXPECT_EQ(a.z, b.z) << what;
}

TEST(InsertionPoint, EveryJustificationMovesByItsGoverningPoint) {
    const TextPoints old{{1, 2, 3}, {11, 12, 13}};
    const AcGePoint3d p{50, 60, 70};
    for (int h = 0; h <= 5; ++h)
        for (int v = 0; v <= 3; ++v) {
            SCOPED_TRACE("h=" + std::to_string(h) + " v=" + std::to_string(v));
            bool byPosition = v == 0 && (h == 0 || h == 3 || h == 5);
            EXPECT_EQ(UsesAlignmentPoint(h, v), !byPosition);
            TextPoints moved = MoveEffectiveInsertionPoint(h, v, old, p);
            EXPECT_EQ(byPosition ? moved.position : moved.alignment, p);
            if (h == 3 || h == 5) { // both points by one displacement
                EXPECT_EQ(moved.alignment.x - moved.position.x, 10);
                EXPECT_EQ(moved.alignment.z - moved.position.z, 10);
            } else {
                EXPECT_EQ(byPosition ? moved.alignment : moved.position, byPosition ? old.alignment : old.position);
            }
        }
}

TEST(Paragraphs, ConvertLiterallyBothWays) {
    struct Case {
        const wchar_t *contents, *editor;
    } cases[] = {
        {L"A\\PB\\PC", L"A\r\nB\r\nC"}, {L"A\\P", L"A\r\n"},      {L"a\\pb\\fArial;", L"a\\pb\\fArial;"},
        {L"X\\\\PY", L"X\\\r\nY"},      {L"\\P\\P", L"\r\n\r\n"}, {L"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParagraphsToLines(c.contents), c.editor);
        // The control keeps single CRs: writing back gives the contents again.
        EXPECT_EQ(LinesToParagraphs(TextLines(c.editor).Whole()), c.contents);
    }
}

class TextModelTest : public HostTest {
protected:
    // A left-baseline stack, top line first, lines `spacing` apart.
    EditState stack(std::vector<std::wstring> lines, double spacing = 5, double rotation = 0) {
        EditState s;
        s.mode = DTEXT;
        double c = std::cos(rotation), sn = std::sin(rotation);
        for (size_t i = 0; i < lines.size(); ++i)
            s.texts.push_back(addText(lines[i].c_str(), 10 + i * spacing * sn, 20 - i * spacing * c, rotation));
        s.baseX = 10, s.baseY = 20, s.rotation = rotation, s.cosRotation = c, s.sinRotation = sn;
        s.lineSpacing = spacing, s.stepX = spacing * sn, s.stepY = spacing * c;
        return s;
    }
    std::vector<std::wstring> textsOf(const EditState& s) {
        std::vector<std::wstring> out;
        for (AcDbObjectId id : s.texts) {
            std::wstring t;
            EXPECT_EQ(ReadEntityText(id, DTEXT, t), Acad::eOk);
            out.push_back(t);
        }
        return out;
    }
    AcGePoint3d at(AcDbObjectId id) {
        AcGePoint3d p;
        EXPECT_EQ(GetEffectiveInsertionPoint(id, p), Acad::eOk);
        return p;
    }
    bool apply(EditState& s, const std::wstring& text) { return ApplyEditorText(s, TextLines(text)); }
    int flushes() { return doc->transactionManager()->flushes(); }
};

TEST_F(TextModelTest, StackLoadsAsLinesAndFieldsAsTheirCodes) {
    EditState s = stack({L"one", L"", L"three %<\\AcVar Date>%"});
    acdbEvaluateFields(s.texts[2], 64);
    std::wstring text;
    ASSERT_EQ(BuildEditorText(s, text), Acad::eOk);
    EXPECT_EQ(text, L"one\r\n\r\nthree %<\\AcVar Date>%");
}

TEST_F(TextModelTest, TypingEnterDeletingAndClearingFollowTheLines) {
    EditState s = stack({L"alpha", L"beta", L"gamma"});
    const AcDbObjectIdArray original = s.texts;
    int before = flushes();
    ASSERT_TRUE(apply(s, L"alpha\rbetta\rgamma")); // one character typed in line 2
    EXPECT_EQ(s.texts, original);
    EXPECT_EQ(textsOf(s), (std::vector<std::wstring>{L"alpha", L"betta", L"gamma"}));
    EXPECT_EQ(flushes(), before + 1);

    ASSERT_TRUE(apply(s, L"alpha\rbetta\rgamma\r")); // Enter at the end
    ASSERT_EQ(s.texts.size(), 4u);
    EXPECT_EQ(textsOf(s)[3], L"");
    ExpectNear(at(s.texts[3]), {10, 5, 0}, "new line one step below");
    ASSERT_TRUE(apply(s, L"alpha\rbetta\rgamma\rdelta"));
    EXPECT_EQ(textsOf(s)[3], L"delta");

    AcDbObjectId third = s.texts[2];
    ASSERT_TRUE(apply(s, L"alpha\rgamma\rdelta")); // the middle line deleted
    EXPECT_EQ(textsOf(s), (std::vector<std::wstring>{L"alpha", L"gamma", L"delta"}));
    EXPECT_EQ(s.texts[2], third);
    EXPECT_FALSE(s.texts.size() > 3);

    ASSERT_TRUE(apply(s, L"")); // everything deleted: the top line stays, empty
    EXPECT_EQ(s.texts, AcDbObjectIdArray{original[0]});
    EXPECT_EQ(textsOf(s), std::vector<std::wstring>{L""});
    EXPECT_TRUE(original[1].isErased());
    EXPECT_TRUE(original[2].isErased());
}

TEST_F(TextModelTest, PasteMakesEachNewLineACopyOfTheOneAbove) {
    EditState s = stack({L"one"}, 4, std::atan(1.0));
    {
        AcDbText* t = nullptr;
        ASSERT_EQ(acdbOpenObject(t, s.texts[0], AcDb::kForWrite), Acad::eOk);
        t->setLayer(L"NOTES");
        t->setHeight(3.5);
        t->close();
    }
    ASSERT_TRUE(apply(s, L"one\rtwo\rthree\rfour\rfive\rsix"));
    ASSERT_EQ(s.texts.size(), 6u);
    EXPECT_EQ(textsOf(s), (std::vector<std::wstring>{L"one", L"two", L"three", L"four", L"five", L"six"}));
    for (size_t i = 1; i < 6; ++i) {
        AcDbText* t = nullptr;
        ASSERT_EQ(acdbOpenObject(t, s.texts[i], AcDb::kForRead), Acad::eOk);
        EXPECT_STREQ(t->layer(), L"NOTES");
        EXPECT_EQ(t->height(), 3.5);
        EXPECT_EQ(t->rotation(), std::atan(1.0));
        t->close();
        AcGePoint3d above = at(s.texts[i - 1]);
        ExpectNear(at(s.texts[i]), {above.x + s.stepX, above.y - s.stepY, 0});
    }
}

TEST_F(TextModelTest, EnterInTheFirstLineShiftsTheTextDown) {
    EditState s = stack({L"HelloWorld", L"second"});
    ASSERT_TRUE(apply(s, L"Hello\rWorld\rsecond"));
    EXPECT_EQ(textsOf(s), (std::vector<std::wstring>{L"Hello", L"World", L"second"}));
    ExpectNear(at(s.texts[2]), {10, 10, 0});
}

TEST_F(TextModelTest, NewLineGoesBelowTheCurrentPlaceOfTheLineAbove) {
    EditState s = stack({L"a", L"b"});
    ASSERT_EQ(SetEffectiveInsertionPoint(s.texts[1], {30, 14, 2}), Acad::eOk);
    ASSERT_TRUE(apply(s, L"a\rb\rc"));
    ExpectNear(at(s.texts[2]), {30, 9, 2});
}

TEST_F(TextModelTest, MTextAndDimensionTakeTheWholeTextWithParagraphs) {
    auto* m = new AcDbMText;
    m->setContents(L"old");
    EditState s;
    s.mode = MTEXT;
    s.currentObject = append(m);
    ASSERT_TRUE(apply(s, L"A\rB\r"));
    std::wstring text;
    ReadEntityText(s.currentObject, MTEXT, text);
    EXPECT_EQ(text, L"A\\PB\\P");
    EditState d;
    d.mode = DIM;
    d.currentObject = append(new AcDbDimension);
    ASSERT_TRUE(apply(d, L"<>\rH7"));
    ReadEntityText(d.currentObject, DIM, text);
    EXPECT_EQ(text, L"<>\\PH7");
    ASSERT_EQ(BuildEditorText(d, text), Acad::eOk);
    EXPECT_EQ(text, L"<>\r\nH7");
}

TEST_F(TextModelTest, AlignmentWorksInTheTopLinesFrame) {
    // Unrotated: base (10, 20), spacing 5.
    EditState s = stack({L"top", L"one", L"two"});
    SetEffectiveInsertionPoint(s.texts[1], {12.5, 14, 0});
    SetEffectiveInsertionPoint(s.texts[2], {9, 11, 3});
    int calls = 0;
    ASSERT_TRUE(AlignX(s, [&] { ++calls; }));
    ExpectNear(at(s.texts[1]), {10, 14, 0});
    ExpectNear(at(s.texts[2]), {10, 11, 3});
    SetEffectiveInsertionPoint(s.texts[1], {12.5, 14, 0});
    SetEffectiveInsertionPoint(s.texts[2], {9, 11, 3});
    ASSERT_TRUE(AlignY(s, [&] { ++calls; }));
    ExpectNear(at(s.texts[1]), {12.5, 15, 0});
    ExpectNear(at(s.texts[2]), {9, 10, 3});
    ExpectNear(at(s.texts[0]), {10, 20, 0}, "the top line never moves");
    EXPECT_EQ(calls, 2);

    // Rotated by 90 degrees: base (0, 0), spacing 2; following lines lie towards +X.
    EditState r = stack({L"top", L"one", L"two"}, 2, std::acos(-1.0) / 2);
    r.cosRotation = 0, r.sinRotation = 1, r.baseX = 0, r.baseY = 0;
    SetEffectiveInsertionPoint(r.texts[0], {0, 0, 0});
    SetEffectiveInsertionPoint(r.texts[1], {3, 4, 0});
    SetEffectiveInsertionPoint(r.texts[2], {5, -2, 0});
    ASSERT_TRUE(AlignX(r));
    ExpectNear(at(r.texts[1]), {3, 0, 0});
    ExpectNear(at(r.texts[2]), {5, 0, 0});
    SetEffectiveInsertionPoint(r.texts[1], {3, 4, 0});
    SetEffectiveInsertionPoint(r.texts[2], {5, -2, 0});
    ASSERT_TRUE(AlignY(r));
    ExpectNear(at(r.texts[1]), {2, 4, 0});
    ExpectNear(at(r.texts[2]), {4, -2, 0});

    EditState m;
    m.mode = MTEXT;
    EXPECT_FALSE(AlignX(m));
    EXPECT_FALSE(AlignY(m));
}

TEST_F(TextModelTest, AFailedOpenStopsTheApplyAndLeavesNothingOpen) {
    EditState s = stack({L"a", L"b", L"c"});
    // Each open the apply makes, failed in turn: the lines before stay written.
    const struct {
        const char* site;
        std::function<bool(AcDbObjectId, AcDb::OpenMode)> fail;
        std::wstring text;
    } cases[] = {
        {"line 2 for write",
         [&](AcDbObjectId id, AcDb::OpenMode m) { return id == s.texts[1] && m == AcDb::kForWrite; }, L"A\rB\rC"},
        {"the line above for read",
         [&](AcDbObjectId id, AcDb::OpenMode m) { return id == s.texts[2] && m == AcDb::kForRead; }, L"A\rB\rC\rD"},
        {"the owner for write", [&](AcDbObjectId id, AcDb::OpenMode) { return id == db->modelSpaceId(); },
         L"A\rB\rC\rD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.site);
        EditState run = s;
        qarx::SetOpenHook(
            [&](AcDbObjectId id, AcDb::OpenMode m) { return c.fail(id, m) ? Acad::eOnLockedLayer : Acad::eOk; });
        EXPECT_FALSE(apply(run, c.text));
        qarx::SetOpenHook(nullptr);
        std::wstring said = qarx::Host::get().takeCommandLine();
        EXPECT_EQ(said.rfind(L"\n!", 0), 0u) << qarx::ToUtf8(said);
        EXPECT_NE(said.find(L": eOnLockedLayer"), std::wstring::npos);
        EXPECT_EQ(qarx::OpenObjectCount(), 0);
        EXPECT_EQ(qarx::Host::get().locks(), 0);
        EXPECT_EQ(run.texts.size(), 3u);
        EXPECT_EQ(textsOf(run)[0], L"A");
        ASSERT_TRUE(apply(s, L"a\rb\rc"));
    }
}

TEST_F(TextModelTest, FailedOpensOfTheOtherOperationsAreReportedToo) {
    EditState s = stack({L"a", L"b"});
    auto* m = new AcDbMText;
    EditState mt;
    mt.mode = MTEXT;
    mt.currentObject = append(m);
    qarx::SetOpenHook([&](AcDbObjectId id, AcDb::OpenMode) {
        return id == s.texts[1] || id == mt.currentObject ? Acad::eWasErased : Acad::eOk;
    });
    std::wstring text;
    EXPECT_EQ(BuildEditorText(s, text), Acad::eWasErased);
    EXPECT_EQ(BuildEditorText(mt, text), Acad::eWasErased);
    EXPECT_FALSE(apply(mt, L"x"));
    EXPECT_FALSE(AlignX(s));
    EXPECT_FALSE(AlignY(s));
    qarx::SetOpenHook(nullptr);
    std::wstring said = qarx::Host::get().takeCommandLine();
    size_t reports = 0;
    for (size_t at = 0; (at = said.find(L": eWasErased", at)) != std::wstring::npos; ++at)
        ++reports;
    EXPECT_EQ(reports, 5u) << qarx::ToUtf8(said);
    EXPECT_EQ(qarx::OpenObjectCount(), 0);
    EXPECT_EQ(qarx::Host::get().locks(), 0);
}

TEST_F(TextModelTest, ARefusedAppendLeavesTheStackOneToOne) {
    EditState s = stack({L"a"});
    qarx::SetAppendHook([](AcDbEntity*) { return Acad::eOutOfMemory; });
    EXPECT_FALSE(apply(s, L"a\rb"));
    qarx::SetAppendHook(nullptr);
    EXPECT_EQ(s.texts.size(), 1u);
    EXPECT_NE(qarx::Host::get().takeCommandLine().find(L": eOutOfMemory"), std::wstring::npos);
    int inDrawing = 0;
    for (AcDbObjectId id : db->impl().drawingOrder())
        inDrawing += !id.isErased();
    EXPECT_EQ(inDrawing, 1);
}

TEST_F(TextModelTest, RandomEditsKeepTheStackEqualToTheLines) {
    std::mt19937 rng(20261211);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int round = 0; round < 30; ++round) {
        useDatabase(std::make_unique<AcDbDatabase>());
        AcDbObjectId bystander = addText(L"not selected", -100, -100);
        // A stack of random justification and rotation.
        double rotation = pick(0, 7) * std::acos(-1.0) / 4;
        EditState s = stack({}, pick(1, 8), rotation);
        int n = pick(1, 5);
        std::vector<std::wstring> lines;
        for (int i = 0; i < n; ++i) {
            auto* t = new AcDbText;
            lines.push_back(L"line " + std::to_wstring(i));
            t->setTextString(lines.back().c_str());
            t->setHorizontalMode(static_cast<AcDb::TextHorzMode>(pick(0, 5)));
            t->setVerticalMode(static_cast<AcDb::TextVertMode>(pick(0, 3)));
            t->setRotation(rotation);
            s.texts.push_back(append(t));
            SetEffectiveInsertionPoint(s.texts.back(), {10 + i * s.stepX, 20 - i * s.stepY, 0});
        }
        for (int step = 0; step < 12; ++step) {
            int k = pick(0, static_cast<int>(lines.size()) - 1);
            switch (pick(0, 4)) {
            case 0: lines[static_cast<size_t>(k)] += static_cast<wchar_t>(L'a' + pick(0, 25)); break;
            case 1: lines.insert(lines.begin() + k + 1, L"new"); break;
            case 2:
                if (lines.size() > 1) lines.erase(lines.begin() + k);
                break;
            case 3:
                for (int p = pick(1, 4); p > 0; --p)
                    lines.push_back(L"pasted " + std::to_wstring(p));
                break;
            default: lines.assign(1, L""); break;
            }
            std::wstring text;
            for (size_t i = 0; i < lines.size(); ++i)
                text += (i ? L"\r" : L"") + lines[i];
            size_t had = s.texts.size();
            std::vector<AcGePoint3d> placed;
            for (AcDbObjectId id : s.texts)
                placed.push_back(at(id));
            ASSERT_TRUE(apply(s, text));
            ASSERT_EQ(textsOf(s), lines);
            for (size_t i = 0; i < std::min(had, s.texts.size()); ++i)
                ExpectNear(at(s.texts[i]), placed[i]);
            for (size_t i = had; i < s.texts.size(); ++i) {
                AcGePoint3d above = at(s.texts[i - 1]);
                ExpectNear(at(s.texts[i]), {above.x + s.stepX, above.y - s.stepY, above.z}, "new line");
            }
            int alive = 0;
            for (AcDbObjectId id : db->impl().drawingOrder())
                alive += !id.isErased();
            ASSERT_EQ(alive, static_cast<int>(lines.size()) + 1);
            std::wstring other;
            ReadEntityText(bystander, DTEXT, other);
            ASSERT_EQ(other, L"not selected");
            ASSERT_EQ(at(bystander), AcGePoint3d(-100, -100, 0));
        }
    }
}

} // namespace
