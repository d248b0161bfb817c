#include "db/DatabaseImpl.h"
#include "dxf/DxfDocument.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

namespace qarx {

namespace {

constexpr double kPi = 3.14159265358979323846;

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

double ToDouble(const std::string& s) {
    std::string t = Trim(s);
    char* end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    return end == t.c_str() ? 0.0 : v;
}

long ToInt(const std::string& s) { return std::strtol(Trim(s).c_str(), nullptr, 10); }
std::uint64_t ToHandle(const std::string& s) { return std::strtoull(Trim(s).c_str(), nullptr, 16); }

// Splits the file into groups; false with a message on a malformed file.
bool SplitGroups(const std::string& bytes, std::vector<DxfGroup>& groups, std::string& tail, std::string& error) {
    size_t pos = 0, line = 0;
    auto nextLine = [&](std::string& out) {
        if (pos >= bytes.size()) return false;
        size_t nl = bytes.find('\n', pos);
        size_t end = nl == std::string::npos ? bytes.size() : nl + 1;
        out.assign(bytes, pos, end - pos);
        pos = end;
        ++line;
        return true;
    };
    std::string codeLine, valueLine;
    while (nextLine(codeLine)) {
        std::string t = Trim(codeLine);
        if (!nextLine(valueLine)) {
            if (!t.empty()) {
                error = "line " + std::to_string(line) + ": group code without a value";
                return false;
            }
            tail = codeLine;
            break;
        }
        char* end = nullptr;
        long code = std::strtol(t.c_str(), &end, 10);
        if (t.empty() || *end != '\0') {
            error = "line " + std::to_string(line - 1) + ": not a group code: \"" + t.substr(0, 40) + "\"";
            return false;
        }
        DxfGroup g;
        g.code = static_cast<int>(code);
        g.codeLine = std::move(codeLine);
        g.valueLine = std::move(valueLine);
        groups.push_back(std::move(g));
    }
    return true;
}

// Index one past the groups that describe the entity itself: its followers
// (VERTEX, ATTRIB, SEQEND) and its extended data are not its fields.
size_t MainEnd(const std::vector<DxfGroup>& g) {
    for (size_t i = 1; i < g.size(); ++i)
        if (g[i].code == 0 || g[i].code >= 1000) return i;
    return g.size();
}

class EntityReader {
public:
    EntityReader(const std::vector<DxfGroup>& g, const DxfCodec& codec) : g_(g), codec_(codec) {
        size_t end = MainEnd(g);
        bool inGroup = false;
        for (size_t i = 1; i < end; ++i) {
            if (g[i].code == 102) {
                inGroup = Trim(g[i].value()).rfind('{', 0) == 0;
                continue;
            }
            if (inGroup) continue;
            first_.emplace(g[i].code, i); // emplace keeps the first of each code
        }
    }
    bool has(int code) const { return first_.count(code) != 0; }
    std::string raw(int code) const {
        auto it = first_.find(code);
        return it == first_.end() ? std::string() : g_[it->second].value();
    }
    double real(int code, double dflt) const { return has(code) ? ToDouble(raw(code)) : dflt; }
    long integer(int code, long dflt) const { return has(code) ? ToInt(raw(code)) : dflt; }
    std::wstring text(int code) const { return codec_.decode(raw(code)); }
    AcGePoint3d point(int code) const { return {real(code, 0), real(code + 10, 0), real(code + 20, 0)}; }

private:
    const std::vector<DxfGroup>& g_;
    const DxfCodec& codec_;
    std::map<int, size_t> first_;
};

std::unique_ptr<AcDbEntity> MakeText(const EntityReader& r, bool attdef, DatabaseImpl& d) {
    std::unique_ptr<AcDbText> t(attdef ? new AcDbAttributeDefinition : new AcDbText);
    t->setTextString(r.text(1).c_str());
    t->setPosition(r.point(10));
    t->setAlignmentPoint(r.point(11));
    t->setHeight(r.real(40, 0));
    t->setRotation(r.real(50, 0) * kPi / 180.0);
    t->setWidthFactor(r.real(41, 1));
    t->setHorizontalMode(static_cast<AcDb::TextHorzMode>(r.integer(72, 0)));
    t->setVerticalMode(static_cast<AcDb::TextVertMode>(r.integer(attdef ? 74 : 73, 0)));
    t->setTextStyle(d.findRecord(d.textStyles, r.has(7) ? r.text(7) : L"Standard"));
    return t;
}

std::unique_ptr<AcDbEntity> MakeMText(const std::vector<DxfGroup>& g, const EntityReader& r, const DxfCodec& codec,
                                      DatabaseImpl& d) {
    auto m = std::make_unique<AcDbMText>();
    // The contents run over any number of 3 groups and end with the 1 group.
    std::string bytes;
    for (size_t i = 1, end = MainEnd(g); i < end; ++i)
        if (g[i].code == 3 || g[i].code == 1) bytes += g[i].value();
    m->setContents(codec.decode(bytes).c_str());
    m->setLocation(r.point(10));
    m->setTextHeight(r.real(40, 0));
    m->setWidth(r.real(41, 0));
    m->setLineSpacingFactor(r.real(44, 1));
    m->setTextStyle(d.findRecord(d.textStyles, r.has(7) ? r.text(7) : L"Standard"));
    return m;
}

// Dimension style overrides live in the extended data of application ACAD:
// 1000 DSTYLE, 1002 {, pairs of (1070 variable, value), 1002 }.
std::map<int, std::string> ReadDimOverrides(const std::vector<DxfGroup>& g) {
    std::map<int, std::string> out;
    size_t i = MainEnd(g);
    bool acad = false;
    for (; i < g.size() && g[i].code != 0; ++i) {
        if (g[i].code == 1001) acad = Trim(g[i].value()) == "ACAD";
        if (!acad || g[i].code != 1000 || Trim(g[i].value()) != "DSTYLE") continue;
        size_t j = i + 1;
        if (j >= g.size() || g[j].code != 1002) continue;
        for (++j; j + 1 < g.size() && g[j].code == 1070; j += 2)
            out[ToInt(g[j].value())] = g[j + 1].value();
        break;
    }
    return out;
}

std::unique_ptr<AcDbEntity> MakeDimension(const std::vector<DxfGroup>& g, const EntityReader& r, DatabaseImpl& d) {
    auto dim = std::make_unique<AcDbDimension>();
    dim->setDimensionText(r.text(1).c_str());
    dim->setTextPosition(r.point(11));
    dim->setDimKind(static_cast<int>(r.integer(70, 0) & 0x0F));
    dim->setDimensionStyle(d.findRecord(d.dimStyles, r.has(3) ? r.text(3) : L"Standard"));
    auto overrides = ReadDimOverrides(g);
    if (overrides.count(140)) dim->setDimtxt(ToDouble(overrides[140]));
    if (overrides.count(340)) dim->setDimtxsty(d.findByHandle(ToHandle(overrides[340])));
    return dim;
}

struct Reader {
    DxfDocument& doc;
    DatabaseImpl& d;
    std::map<std::uint64_t, AcDbObjectId> blockRecords; // BLOCK_RECORD handle -> space
    std::vector<std::pair<AcDbObjectId, std::uint64_t>> dimStyleTextStyles;

    // One table entry: groups [b, e) of the prefix, the first being "0 NAME".
    void tableEntry(const std::string& type, size_t b, size_t e) {
        std::vector<DxfGroup> entry(doc.prefix.begin() + static_cast<long>(b),
                                    doc.prefix.begin() + static_cast<long>(e));
        EntityReader r(entry, doc.codec);
        std::uint64_t handle = ToHandle(r.raw(type == "DIMSTYLE" ? 105 : 5));
        std::wstring name = r.text(2);
        if (type == "STYLE") {
            if (name.empty()) return; // shape files are entries without a name
            auto rec = std::make_unique<AcDbTextStyleTableRecord>();
            rec->setName(name);
            rec->setTextSize(r.real(40, 0));
            rec->setXScale(r.real(41, 1));
            d.addRecord(d.textStyles, std::move(rec), handle);
        } else if (type == "LAYER") {
            auto rec = std::make_unique<AcDbLayerTableRecord>();
            rec->setName(name);
            rec->setIsLocked(r.integer(70, 0) & 4);
            AcDbObjectId id = d.addRecord(d.layers, std::move(rec), handle);
            for (size_t i = b + 1; i < e; ++i)
                if (doc.prefix[i].code == 70) {
                    doc.layerFlags.emplace_back(id, i);
                    break;
                }
        } else if (type == "DIMSTYLE") {
            auto rec = std::make_unique<AcDbDimStyleTableRecord>();
            rec->setName(name);
            rec->setDimtxt(r.real(140, 2.5));
            AcDbObjectId id = d.addRecord(d.dimStyles, std::move(rec), handle);
            if (r.has(340)) dimStyleTextStyles.emplace_back(id, ToHandle(r.raw(340)));
        } else if (type == "BLOCK_RECORD") {
            std::string n = ToUtf8(name);
            for (auto& c : n)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (n == "*MODEL_SPACE" || n == "$MODEL_SPACE") blockRecords[handle] = d.modelSpace;
            if (n == "*PAPER_SPACE" || n == "$PAPER_SPACE") blockRecords[handle] = d.paperSpace;
        }
    }

    void header(size_t b, size_t e) {
        for (size_t i = b; i + 1 < e; ++i) {
            if (doc.prefix[i].code != 9) continue;
            std::string var = Trim(doc.prefix[i].value());
            const DxfGroup& v = doc.prefix[i + 1];
            if (var == "$ACADVER") doc.version = Trim(v.value());
            if (var == "$DWGCODEPAGE") doc.codec.setCodePage(Trim(v.value()));
            if (var == "$HANDSEED") {
                doc.handseedIndex = static_cast<long>(i + 1);
                d.setHandseed(ToHandle(v.value()));
            }
            if (var == "$LUNITS") d.units.lunits = static_cast<int>(ToInt(v.value()));
            if (var == "$LUPREC") d.units.luprec = static_cast<int>(ToInt(v.value()));
        }
        doc.codec.setVersion(doc.version);
    }

    void tables(size_t b, size_t e) {
        std::string type;
        for (size_t i = b; i < e;) {
            if (doc.prefix[i].code != 0) {
                ++i;
                continue;
            }
            std::string v = Trim(doc.prefix[i].value());
            size_t j = i + 1;
            while (j < e && doc.prefix[j].code != 0)
                ++j;
            if (v == "TABLE") {
                for (size_t k = i + 1; k < j; ++k)
                    if (doc.prefix[k].code == 2) {
                        type = Trim(doc.prefix[k].value());
                        break;
                    }
            } else if (v == type) {
                tableEntry(type, i, j);
            }
            i = j;
        }
        for (auto& [style, h] : dimStyleTextStyles)
            static_cast<AcDbDimStyleTableRecord*>(DatabaseImpl::peek(style))->setDimtxsty(d.findByHandle(h));
        // Model and paper space take the handles the file gave them.
        for (auto& [h, space] : blockRecords)
            d.rehandle(space, h);
    }

    void entity(std::vector<DxfGroup> groups) {
        auto rec = std::make_unique<DxfRecord>();
        rec->groups = std::move(groups);
        EntityReader r(rec->groups, doc.codec);
        std::string type = Trim(rec->groups[0].value());
        std::unique_ptr<AcDbEntity> ent;
        if (type == "TEXT" || type == "ATTDEF")
            ent = MakeText(r, type == "ATTDEF", d);
        else if (type == "MTEXT")
            ent = MakeMText(rec->groups, r, doc.codec, d);
        else if (type == "DIMENSION")
            ent = MakeDimension(rec->groups, r, d);
        else
            ent = std::make_unique<AcDbForeignEntity>(FromUtf8(type));
        ent->setLayer(r.has(8) ? r.text(8).c_str() : L"0");
        rec->loaded.reset(static_cast<AcDbObject*>(ent->clone()));
        ent->setDxfRecord(std::move(rec));
        AcDbObjectId owner = d.modelSpace;
        auto it = blockRecords.find(ToHandle(r.raw(330)));
        if (r.has(330) && it != blockRecords.end())
            owner = it->second;
        else if (r.integer(67, 0) == 1)
            owner = d.paperSpace;
        AcDbObjectId id = d.add(std::move(ent), ToHandle(r.raw(5)), owner);
        d.appendToOrder(id);
        d.addToSpace(owner, id);
    }
};

bool IsFollower(const std::string& type) { return type == "VERTEX" || type == "ATTRIB" || type == "SEQEND"; }

} // namespace

std::unique_ptr<AcDbDatabase> ReadDxf(const std::string& bytes, std::string& error) {
    if (bytes.compare(0, 18, "AutoCAD Binary DXF") == 0) {
        error = "binary DXF is not supported";
        return nullptr;
    }
    std::vector<DxfGroup> groups;
    auto doc = std::make_unique<DxfDocument>();
    if (!SplitGroups(bytes, groups, doc->tail, error)) return nullptr;
    if (groups.empty()) {
        error = "no DXF groups";
        return nullptr;
    }
    auto db = std::make_unique<AcDbDatabase>(AcDbDatabase::kNoDefaults);
    Reader rd{*doc, db->impl(), {}, {}};
    if (!groups.empty() && groups[0].valueLine.size() >= 2 &&
        groups[0].valueLine[groups[0].valueLine.size() - 2] == '\r')
        doc->lineEnd = "\r\n";

    // Everything up to the first entity of ENTITIES is kept as it is, and
    // read for its header variables and tables on the way.
    size_t i = 0, sectionStart = 0;
    std::string section;
    for (; i < groups.size(); ++i) {
        const DxfGroup& g = groups[i];
        if (g.code == 0) {
            std::string v = Trim(g.value());
            if (v == "SECTION") {
                sectionStart = i;
                section.clear();
            } else if (v == "ENDSEC") {
                if (section == "HEADER") rd.header(sectionStart, i);
                if (section == "TABLES") rd.tables(sectionStart, i);
                section.clear();
            }
        } else if (g.code == 2 && i > 0 && groups[i - 1].code == 0 && Trim(groups[i - 1].value()) == "SECTION") {
            section = Trim(g.value());
            if (section == "ENTITIES") {
                doc->prefix.push_back(g);
                ++i;
                break;
            }
        }
        doc->prefix.push_back(g);
    }
    if (section == "ENTITIES") {
        doc->hasEntitiesSection = true;
        while (i < groups.size()) {
            std::string v = Trim(groups[i].value());
            if (groups[i].code == 0 && (v == "ENDSEC" || v == "EOF")) break;
            size_t j = i + 1;
            while (j < groups.size() && groups[j].code != 0)
                ++j;
            std::vector<DxfGroup> ent(std::make_move_iterator(groups.begin() + static_cast<long>(i)),
                                      std::make_move_iterator(groups.begin() + static_cast<long>(j)));
            if (groups[i].code != 0) {
                error = "ENTITIES section does not start with an entity";
                return nullptr;
            }
            if (IsFollower(v) && !rd.d.drawingOrder().empty()) {
                auto* prev = DatabaseImpl::peek(rd.d.drawingOrder().back())->dxfRecord();
                prev->groups.insert(prev->groups.end(), std::make_move_iterator(ent.begin()),
                                    std::make_move_iterator(ent.end()));
            } else {
                rd.entity(std::move(ent));
            }
            i = j;
        }
    }
    doc->suffix.assign(std::make_move_iterator(groups.begin() + static_cast<long>(i)),
                       std::make_move_iterator(groups.end()));
    if (!doc->hasEntitiesSection && !doc->prefix.empty() && doc->prefix.back().code == 0 &&
        Trim(doc->prefix.back().value()) == "EOF") {
        // Entities added later go in a section of their own before EOF.
        doc->suffix.insert(doc->suffix.begin(), doc->prefix.back());
        doc->prefix.pop_back();
    }
    // Handles used anywhere stay used: new objects get fresh ones.
    for (const auto* part : {&doc->prefix, &doc->suffix})
        for (const DxfGroup& g : *part)
            if (g.code == 5 || g.code == 105) rd.d.noteHandle(ToHandle(g.value()));
    rd.d.forgetHandedOut();
    rd.d.dxf = std::move(doc);
    return db;
}

std::unique_ptr<AcDbDatabase> ReadDxfFile(const std::string& path, std::string& error) {
#ifdef _WIN32
    FILE* f = _wfopen(FromUtf8(path).c_str(), L"rb");
#else
    FILE* f = std::fopen(path.c_str(), "rb");
#endif
    if (!f) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    std::string bytes;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        bytes.append(buf, n);
    bool bad = std::ferror(f);
    std::fclose(f);
    if (bad) {
        error = "cannot read " + path;
        return nullptr;
    }
    auto db = ReadDxf(bytes, error);
    if (!db) error = path + ": " + error;
    return db;
}

} // namespace qarx
