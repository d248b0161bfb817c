#include "Fixture.h"

#include <cmath>
#include <fstream>
#include <sstream>

namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::unique_ptr<AcDbDatabase> Read(const std::string& bytes) {
    std::string error;
    auto db = qarx::ReadDxf(bytes, error);
    EXPECT_TRUE(db) << error;
    return db;
}

struct Counts {
    int text = 0, mtext = 0, dim = 0;
};

Counts CountModelAndPaper(AcDbDatabase& db) {
    Counts c;
    for (AcDbObjectId id : db.impl().drawingOrder()) {
        AcDbObject* o = qarx::DatabaseImpl::peek(id);
        c.text += AcDbText::cast(o) && !AcDbAttributeDefinition::cast(o);
        c.mtext += AcDbMText::cast(o) != nullptr;
        c.dim += AcDbDimension::cast(o) != nullptr;
    }
    return c;
}

// Drawings written by other programs, with their TEXT, MTEXT and DIMENSION
// counts in the ENTITIES section.
struct Sample {
    const char* file;
    Counts counts;
};
const Sample kSamples[] = {
    {"ezdxf_text.dxf", {62, 30, 0}},
    {"ezdxf_text_alignments.dxf", {16, 0, 0}},
    {"ezdxf_mtext_complex_inline_codes.dxf", {0, 8, 0}},
    {"ezdxf_uncommon.dxf", {0, 19, 13}},
    {"ezdxf_duplicate_handles.dxf", {19, 0, 7}},
    {"qcad_dl3dl_TGL31031_1.dxf", {358, 0, 29}},
    {"qcad_dl3dl_Layer.dxf", {417, 0, 0}},
    {"qcad_dl3dl_DIN7200.dxf", {589, 1034, 20}},
    {"qcad_example01.dxf", {0, 1, 13}},
    {"libredwg_example_2000.dxf", {2, 1, 9}},
    {"libredwg_example_r12.dxf", {2, 0, 9}},
    {"netdxf_sample.dxf", {1, 2, 8}},
};

void PrintTo(const Sample& s, std::ostream* os) { *os << s.file; }

class SampleDrawing : public ::testing::TestWithParam<Sample> {};

TEST_P(SampleDrawing, ReadsItsTextsAndWritesItBackUnchanged) {
    std::string bytes = ReadBytes(DataFile(GetParam().file));
    ASSERT_FALSE(bytes.empty());
    auto db = Read(bytes);
    ASSERT_TRUE(db);
    Counts c = CountModelAndPaper(*db);
    EXPECT_EQ(c.text, GetParam().counts.text);
    EXPECT_EQ(c.mtext, GetParam().counts.mtext);
    EXPECT_EQ(c.dim, GetParam().counts.dim);
    EXPECT_TRUE(qarx::WriteDxf(*db) == bytes);
}

INSTANTIATE_TEST_SUITE_P(Files, SampleDrawing, ::testing::ValuesIn(kSamples), [](const auto& info) {
    std::string n = info.param.file;
    for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return n;
});

// Opens for write for the length of a scope, as the plug-in does.
template <class T> struct ForWrite {
    explicit ForWrite(T* obj) : p(obj) {
        T* opened = nullptr;
        EXPECT_EQ(acdbOpenObject(opened, obj->objectId(), AcDb::kForWrite), Acad::eOk);
    }
    ~ForWrite() { p->close(); }
    T* operator->() const { return p; }
    T* p;
};

// The first entity of the kind with this text, in drawing order.
template <class T> T* Find(AcDbDatabase& db, const wchar_t* text) {
    for (AcDbObjectId id : db.impl().drawingOrder()) {
        T* t = T::cast(qarx::DatabaseImpl::peek(id));
        if (!t) continue;
        if constexpr (std::is_same_v<T, AcDbText>) {
            if (std::wcscmp(t->textStringConst(), text) == 0) return t;
        } else if constexpr (std::is_same_v<T, AcDbMText>) {
            if (std::wcsstr(t->contentsConst(), text)) return t;
        } else {
            if (std::wcsstr(t->dimensionTextConst(), text)) return t;
        }
    }
    return nullptr;
}

// Lines of a that b does not have, and the other way round.
std::pair<std::vector<std::string>, std::vector<std::string>> Diff(const std::string& a, const std::string& b) {
    auto lines = [](const std::string& s) {
        std::multiset<std::string> out;
        std::istringstream in(s);
        for (std::string l; std::getline(in, l);)
            out.insert(l);
        return out;
    };
    auto la = lines(a), lb = lines(b);
    std::vector<std::string> onlyA, onlyB;
    std::set_difference(la.begin(), la.end(), lb.begin(), lb.end(), std::back_inserter(onlyA));
    std::set_difference(lb.begin(), lb.end(), la.begin(), la.end(), std::back_inserter(onlyB));
    return {onlyA, onlyB};
}

TEST(Dxf, JustifiedTextIsReadWithItsAlignmentPoint) {
    auto db = Read(ReadBytes(DataFile("qcad_dl3dl_TGL31031_1.dxf")));
    int justified = 0;
    for (AcDbObjectId id : db->impl().drawingOrder()) {
        auto* t = AcDbText::cast(qarx::DatabaseImpl::peek(id));
        if (t && t->horizontalMode() == AcDb::kTextCenter && t->verticalMode() == AcDb::kTextVertMid) {
            ++justified;
            EXPECT_NE(t->alignmentPoint(), AcGePoint3d()) << qarx::ToUtf8(t->textStringConst());
        }
    }
    EXPECT_GT(justified, 100);
}

TEST(Dxf, EditedTextChangesOnlyItsValue) {
    std::string bytes = ReadBytes(DataFile("ezdxf_text.dxf"));
    auto db = Read(bytes);
    AcDbText* t = Find<AcDbText>(*db, L"left align");
    ASSERT_TRUE(t);
    ForWrite<AcDbText>(t)->setTextString(L"left aligned, edited");
    ForWrite<AcDbText>(t)->setHeight(7.25);
    auto [removed, added] = Diff(bytes, qarx::WriteDxf(*db));
    EXPECT_EQ(removed.size(), 2u);
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[0], "7.25\r");
    EXPECT_EQ(added[1], "left aligned, edited\r");
    // And it reads back as edited.
    auto again = Read(qarx::WriteDxf(*db));
    ASSERT_TRUE(Find<AcDbText>(*again, L"left aligned, edited"));
    EXPECT_EQ(Find<AcDbText>(*again, L"left aligned, edited")->height(), 7.25);
}

TEST(Dxf, CodePageTextAndEscapesDecodeAndEncodeBack) {
    qarx::DxfCodec cp1251;
    cp1251.setVersion("AC1015");
    cp1251.setCodePage("ANSI_1251");
    EXPECT_EQ(cp1251.decode("\xCF\xF0\xE8\xE2\xE5\xF2 \\U+00B0"), L"Привет °");
    EXPECT_EQ(cp1251.encode(L"Привет €✓"), "\xCF\xF0\xE8\xE2\xE5\xF2 \x88\\U+2713");
    qarx::DxfCodec utf8;
    utf8.setVersion("AC1032");
    EXPECT_EQ(utf8.decode("\xD0\x96 \\U+2205"), L"Ж ∅");
    EXPECT_EQ(utf8.encode(L"Ж"), "\xD0\x96");
    // The \U+ escapes of a file are its text, not its literal characters.
    auto db = Read(ReadBytes(DataFile("qcad_dl3dl_TGL31031_1.dxf")));
    bool found = false;
    for (AcDbObjectId id : db->impl().drawingOrder())
        if (auto* t = AcDbText::cast(qarx::DatabaseImpl::peek(id)))
            found = found || std::wcsstr(t->textStringConst(), L"\\U+") != nullptr;
    EXPECT_FALSE(found);
}

TEST(Dxf, ClonedTextGetsANewHandleAndTheSeedFollows) {
    std::string bytes = ReadBytes(DataFile("libredwg_example_2000.dxf"));
    auto db = Read(bytes);
    AcDbText* source = nullptr;
    for (AcDbObjectId id : db->impl().drawingOrder())
        if ((source = AcDbText::cast(qarx::DatabaseImpl::peek(id)))) break;
    ASSERT_TRUE(source);
    std::uint64_t seed = db->impl().nextHandle();
    auto* copy = static_cast<AcDbText*>(source->clone());
    copy->setTextString(L"a copy");
    AcGePoint3d p = copy->position();
    copy->setPosition({p.x, p.y - 10, p.z});
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, source->ownerId(), AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    ASSERT_EQ(ms->appendAcDbEntity(id, copy), Acad::eOk);
    copy->close();
    ms->close();
    EXPECT_EQ(id.handle(), seed);
    auto again = Read(qarx::WriteDxf(*db));
    AcDbText* back = Find<AcDbText>(*again, L"a copy");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->objectId().handle(), seed);
    EXPECT_EQ(back->position().y, p.y - 10);
    EXPECT_EQ(back->ownerId(), again->modelSpaceId());
    EXPECT_GT(again->impl().nextHandle(), seed);
    EXPECT_TRUE(Find<AcDbText>(*again, source->textStringConst()));
}

TEST(Dxf, LongMTextContentsGoOutInPiecesAndReadBack) {
    std::string bytes = ReadBytes(DataFile("libredwg_example_2000.dxf"));
    auto db = Read(bytes);
    AcDbMText* m = nullptr;
    for (AcDbObjectId id : db->impl().drawingOrder())
        if ((m = AcDbMText::cast(qarx::DatabaseImpl::peek(id)))) break;
    ASSERT_TRUE(m);
    std::wstring longText;
    for (int i = 0; i < 100; ++i)
        longText += L"line " + std::to_wstring(i) + L"\\P";
    ForWrite<AcDbMText>(m)->setContents(longText.c_str());
    ForWrite<AcDbMText>(m)->setLineSpacingFactor(1.5);
    auto again = Read(qarx::WriteDxf(*db));
    AcDbMText* back = Find<AcDbMText>(*again, L"line 99");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->contentsConst(), longText);
    EXPECT_EQ(back->lineSpacingFactor(), 1.5);
}

TEST(Dxf, DimensionTextAndStyleOverridesAreWrittenBack) {
    auto db = Read(ReadBytes(DataFile("qcad_example01.dxf")));
    AcDbDimension* d = Find<AcDbDimension>(*db, L"(18)");
    ASSERT_TRUE(d);
    double before = d->dimtxt();
    EXPECT_GT(before, 0);
    ForWrite<AcDbDimension>(d)->setDimensionText(L"(19)");
    ForWrite<AcDbDimension>(d)->setDimtxt(before * 2);
    auto again = Read(qarx::WriteDxf(*db));
    AcDbDimension* back = Find<AcDbDimension>(*again, L"(19)");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->dimtxt(), before * 2);
    EXPECT_FALSE(Find<AcDbDimension>(*again, L"(18)"));
}

TEST(Dxf, BadInputIsRefusedWithAReason) {
    std::string error;
    EXPECT_FALSE(qarx::ReadDxf("", error));
    EXPECT_FALSE(qarx::ReadDxf("  0\nSECTION\nnot a code\nX\n", error));
    EXPECT_NE(error.find("line 3"), std::string::npos) << error;
    EXPECT_FALSE(qarx::ReadDxf("AutoCAD Binary DXF\r\n\x1a", error));
    EXPECT_FALSE(qarx::ReadDxfFile("/nonexistent/drawing.dxf", error));
    EXPECT_NE(error.find("/nonexistent/drawing.dxf"), std::string::npos);
}

TEST(Dxf, NewDrawingIsWrittenAndReadBack) {
    AcDbDatabase db;
    auto* t = new AcDbText;
    t->setTextString(L"Größe 5");
    t->setPosition({1.5, -2, 0});
    t->setHorizontalMode(AcDb::kTextMid);
    t->setAlignmentPoint({3, 4, 0});
    t->setRotation(std::atan(1.0));
    AcDbObjectId id = AppendToModelSpace(db, t);
    auto back = Read(qarx::WriteDxf(db));
    ASSERT_TRUE(back);
    AcDbText* r = Find<AcDbText>(*back, L"Größe 5");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->position(), AcGePoint3d(1.5, -2, 0));
    EXPECT_EQ(r->alignmentPoint(), AcGePoint3d(3, 4, 0));
    EXPECT_EQ(r->horizontalMode(), AcDb::kTextMid);
    EXPECT_NEAR(r->rotation(), std::atan(1.0), 1e-15);
    EXPECT_EQ(r->objectId().handle(), id.handle());
    AcDbObjectId standard;
    AcDbTextStyleTable* styles = nullptr;
    ASSERT_EQ(back->getTextStyleTable(styles, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(styles->getAt(L"Standard", standard), Acad::eOk);
    styles->close();
    EXPECT_EQ(r->textStyle(), standard);
}

} // namespace
