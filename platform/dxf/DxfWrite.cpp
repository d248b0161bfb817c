#include "db/DatabaseImpl.h"
#include "dxf/DxfDocument.h"

#include <cstdio>
#include <cstring>

namespace qarx {

namespace {

constexpr double kPi = 3.14159265358979323846;

std::string Hex(std::uint64_t h) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(h));
    return buf;
}

std::uint64_t ParseHex(const std::string& s) { return std::strtoull(s.c_str(), nullptr, 16); }

bool IsOpenBrace(const DxfGroup& g) { return g.code == 102 && g.value().find('{') != std::string::npos; }

// Changes the groups of one record; new groups take the look of the record's
// first group (code padding and line end).
class Patcher {
public:
    Patcher(std::vector<DxfGroup>& g, const std::string& fallbackEol) : g_(g) {
        const std::string& first = g_.empty() ? std::string() : g_[0].codeLine;
        padded_ = !first.empty() && first[0] == ' ';
        eol_ = first.size() >= 2 && first[first.size() - 2] == '\r' ? "\r\n" : first.empty() ? fallbackEol : "\n";
    }

    DxfGroup make(int code, const std::string& value) const {
        char buf[16];
        std::snprintf(buf, sizeof buf, padded_ ? "%3d" : "%d", code);
        DxfGroup g;
        g.code = code;
        g.codeLine = buf + eol_;
        g.valueLine = value + eol_;
        return g;
    }

    // End of the entity's own groups: before its extended data and followers.
    size_t mainEnd() const {
        for (size_t i = 1; i < g_.size(); ++i)
            if (g_[i].code == 0 || g_[i].code >= 1000) return i;
        return g_.size();
    }

    template <class F> void forMain(F f) const {
        bool inGroup = false;
        for (size_t i = 1, end = mainEnd(); i < end; ++i) {
            if (g_[i].code == 102) {
                inGroup = IsOpenBrace(g_[i]);
                continue;
            }
            if (!inGroup && !f(i)) return;
        }
    }

    long find(int code) const {
        long at = -1;
        forMain([&](size_t i) {
            if (g_[i].code != code) return true;
            at = static_cast<long>(i);
            return false;
        });
        return at;
    }

    // Sets the value of the first group with the code, or inserts one after
    // the last group of the codes that precede it.
    void set(int code, const std::string& value, std::initializer_list<int> after) {
        long at = find(code);
        if (at >= 0) {
            g_[static_cast<size_t>(at)].setValue(value);
            return;
        }
        g_.insert(g_.begin() + static_cast<long>(insertionPoint(after)), make(code, value));
    }

    size_t insertionPoint(std::initializer_list<int> after) const {
        size_t pos = 0;
        forMain([&](size_t i) {
            for (int c : after)
                if (g_[i].code == c) pos = i;
            return true;
        });
        return pos == 0 ? mainEnd() : pos + 1;
    }

    std::vector<DxfGroup>& groups() { return g_; }

private:
    std::vector<DxfGroup>& g_;
    bool padded_ = false;
    std::string eol_;
};

std::string StyleName(AcDbObjectId id) {
    auto* rec = AcDbSymbolTableRecord::cast(DatabaseImpl::peek(id));
    return rec ? ToUtf8(rec->name()) : std::string("Standard");
}

void PatchPoint(Patcher& p, int code, const AcGePoint3d& cur, const AcGePoint3d& old,
                std::initializer_list<int> after) {
    if (cur.x != old.x) p.set(code, FormatDouble(cur.x), after);
    if (cur.y != old.y) p.set(code + 10, FormatDouble(cur.y), {code});
    if (cur.z != old.z) p.set(code + 20, FormatDouble(cur.z), {code + 10});
}

void PatchText(Patcher& p, const AcDbText& cur, const AcDbText& old, const DxfCodec& codec) {
    if (std::wcscmp(cur.textStringConst(), old.textStringConst()) != 0)
        p.set(1, codec.encode(cur.textStringConst()), {40, 30, 20, 10});
    PatchPoint(p, 10, cur.position(), old.position(), {8});
    if (cur.height() != old.height()) p.set(40, FormatDouble(cur.height()), {30, 20, 10});
    if (cur.rotation() != old.rotation()) p.set(50, FormatDouble(cur.rotation() * 180.0 / kPi), {1});
    if (cur.widthFactor() != old.widthFactor()) p.set(41, FormatDouble(cur.widthFactor()), {50, 1});
    if (cur.textStyle() != old.textStyle())
        p.set(7, codec.encode(FromUtf8(StyleName(cur.textStyle()))), {51, 41, 50, 1});
    if (cur.horizontalMode() != old.horizontalMode())
        p.set(72, std::to_string(cur.horizontalMode()), {71, 7, 51, 41, 50, 1});
    PatchPoint(p, 11, cur.alignmentPoint(), old.alignmentPoint(), {72, 71, 7, 51, 41, 50, 1});
    bool attdef = AcDbAttributeDefinition::cast(&cur) != nullptr;
    if (cur.verticalMode() != old.verticalMode())
        p.set(attdef ? 74 : 73, std::to_string(cur.verticalMode()), {100, 31, 21, 11, 72, 230, 220, 210, 1, 2, 3});
}

void PatchMText(Patcher& p, const AcDbMText& cur, const AcDbMText& old, const DxfCodec& codec) {
    PatchPoint(p, 10, cur.location(), old.location(), {8});
    if (cur.textHeight() != old.textHeight()) p.set(40, FormatDouble(cur.textHeight()), {30, 20, 10});
    if (cur.width() != old.width()) p.set(41, FormatDouble(cur.width()), {40});
    if (std::wcscmp(cur.contentsConst(), old.contentsConst()) != 0) {
        std::vector<DxfGroup>& g = p.groups();
        size_t at = 0;
        for (size_t i = p.mainEnd(); i-- > 1;) {
            if (g[i].code == 1 || g[i].code == 3) {
                g.erase(g.begin() + static_cast<long>(i));
                at = i;
            }
        }
        if (at == 0) at = p.insertionPoint({73, 72, 71, 46, 41, 40, 30, 20, 10});
        // The contents go out in pieces of at most 250 bytes, cut between characters.
        std::string bytes = codec.encode(cur.contentsConst());
        std::vector<DxfGroup> pieces;
        size_t pos = 0;
        while (bytes.size() - pos > 250) {
            size_t n = 250;
            while (n > 1 && (static_cast<unsigned char>(bytes[pos + n]) & 0xC0) == 0x80)
                --n;
            pieces.push_back(p.make(3, bytes.substr(pos, n)));
            pos += n;
        }
        pieces.push_back(p.make(1, bytes.substr(pos)));
        g.insert(g.begin() + static_cast<long>(at), pieces.begin(), pieces.end());
    }
    if (cur.textStyle() != old.textStyle()) p.set(7, codec.encode(FromUtf8(StyleName(cur.textStyle()))), {1, 3});
    if (cur.lineSpacingFactor() != old.lineSpacingFactor())
        p.set(44, FormatDouble(cur.lineSpacingFactor()), {73, 72, 71, 50, 7, 1, 3, 41, 40});
}

// Sets one variable of the ACAD DSTYLE override list in the extended data.
void SetDimOverride(Patcher& p, int var, int valueCode, const std::string& value) {
    std::vector<DxfGroup>& g = p.groups();
    size_t end = g.size();
    for (size_t i = 1; i < g.size(); ++i)
        if (g[i].code == 0) {
            end = i;
            break;
        }
    size_t acad = 0;
    for (size_t i = p.mainEnd(); i < end; ++i)
        if (g[i].code == 1001 && g[i].value() == "ACAD") acad = i;
    auto ins = [&](size_t at, std::initializer_list<std::pair<int, std::string>> items) {
        std::vector<DxfGroup> add;
        for (auto& [c, v] : items)
            add.push_back(p.make(c, v));
        g.insert(g.begin() + static_cast<long>(at), add.begin(), add.end());
    };
    std::string varText = std::to_string(var);
    if (acad == 0) {
        ins(end, {{1001, "ACAD"}, {1000, "DSTYLE"}, {1002, "{"}, {1070, varText}, {valueCode, value}, {1002, "}"}});
        return;
    }
    for (size_t i = acad + 1; i + 1 < end && g[i].code != 1001; ++i) {
        if (g[i].code != 1000 || g[i].value() != "DSTYLE" || g[i + 1].code != 1002) continue;
        size_t j = i + 2;
        for (; j + 1 < end && g[j].code == 1070; j += 2)
            if (std::atoi(g[j].value().c_str()) == var) {
                g[j + 1] = p.make(valueCode, value);
                return;
            }
        ins(j, {{1070, varText}, {valueCode, value}});
        return;
    }
    ins(acad + 1, {{1000, "DSTYLE"}, {1002, "{"}, {1070, varText}, {valueCode, value}, {1002, "}"}});
}

void PatchDimension(Patcher& p, const AcDbDimension& cur, const AcDbDimension& old, const DxfCodec& codec) {
    if (std::wcscmp(cur.dimensionTextConst(), old.dimensionTextConst()) != 0)
        p.set(1, codec.encode(cur.dimensionTextConst()), {72, 71, 70, 31, 21, 11, 30, 20, 10});
    if (cur.hasDimtxtOverride() && (!old.hasDimtxtOverride() || cur.dimtxt() != old.dimtxt()))
        SetDimOverride(p, 140, 1040, FormatDouble(cur.dimtxt()));
    if (cur.hasDimtxstyOverride() && (!old.hasDimtxstyOverride() || cur.dimtxsty() != old.dimtxsty()))
        SetDimOverride(p, 340, 1005, Hex(cur.dimtxsty().handle()));
}

bool NewerThanR12(const std::string& version) { return version > "AC1009"; }

// The groups a new entity starts from: its kind's required groups, holding
// the values of a default-made entity of that kind, which the patching then
// replaces.
std::unique_ptr<DxfRecord> Template(const AcDbEntity& ent, const DxfDocument& doc) {
    auto rec = std::make_unique<DxfRecord>();
    Patcher p(rec->groups, doc.lineEnd);
    std::string type = ToUtf8(ent.isA()->dxfName());
    bool subclasses = NewerThanR12(doc.version);
    auto add = [&](int c, const std::string& v) { rec->groups.push_back(p.make(c, v)); };
    add(0, type);
    add(5, "0");
    if (subclasses) {
        add(330, "0");
        add(100, "AcDbEntity");
    }
    add(8, "0");
    if (AcDbText::cast(&ent)) {
        AcDbText dflt;
        if (subclasses) add(100, "AcDbText");
        add(10, "0"), add(20, "0"), add(30, "0"), add(40, FormatDouble(dflt.height())), add(1, "");
        if (subclasses) add(100, "AcDbText");
        rec->loaded = std::make_unique<AcDbText>();
    } else if (AcDbMText::cast(&ent)) {
        AcDbMText dflt;
        if (subclasses) add(100, "AcDbMText");
        add(10, "0"), add(20, "0"), add(30, "0"), add(40, FormatDouble(dflt.textHeight())), add(41, "0"), add(1, "");
        rec->loaded = std::make_unique<AcDbMText>();
    } else if (AcDbDimension::cast(&ent)) {
        if (subclasses) add(100, "AcDbDimension");
        add(1, "");
        rec->loaded = std::make_unique<AcDbDimension>();
    } else {
        rec->loaded = std::make_unique<AcDbEntity>();
    }
    return rec;
}

void AppendEntity(std::string& out, const AcDbEntity& ent, const DxfDocument& doc) {
    std::unique_ptr<DxfRecord> fresh;
    const DxfRecord* rec = ent.dxfRecord();
    if (!rec) rec = (fresh = Template(ent, doc)).get();
    std::vector<DxfGroup> g = rec->groups;
    Patcher p(g, doc.lineEnd);
    const AcDbObject& old = *rec->loaded;
    long h = p.find(5);
    if (h >= 0 && ParseHex(g[static_cast<size_t>(h)].value()) != ent.objectId().handle())
        g[static_cast<size_t>(h)].setValue(Hex(ent.objectId().handle()));
    long owner = p.find(330);
    if (owner >= 0 && ParseHex(g[static_cast<size_t>(owner)].value()) != ent.ownerId().handle())
        g[static_cast<size_t>(owner)].setValue(Hex(ent.ownerId().handle()));
    if (auto* oldEnt = AcDbEntity::cast(&old); oldEnt && std::wcscmp(ent.layer(), oldEnt->layer()) != 0)
        p.set(8, doc.codec.encode(ent.layer()), {100, 330, 5});
    if (auto* t = AcDbText::cast(&ent))
        PatchText(p, *t, *AcDbText::cast(&old), doc.codec);
    else if (auto* m = AcDbMText::cast(&ent))
        PatchMText(p, *m, *AcDbMText::cast(&old), doc.codec);
    else if (auto* d = AcDbDimension::cast(&ent))
        PatchDimension(p, *d, *AcDbDimension::cast(&old), doc.codec);
    for (const DxfGroup& grp : g)
        out += grp.codeLine, out += grp.valueLine;
}

// An R12 file for a drawing that was not read from one.
std::unique_ptr<DxfDocument> NewDocument(AcDbDatabase& db) {
    auto doc = std::make_unique<DxfDocument>();
    doc->version = "AC1009";
    doc->codec.setVersion(doc->version);
    doc->codec.setCodePage("ANSI_1252");
    doc->hasEntitiesSection = true;
    std::vector<DxfGroup> none;
    Patcher p(none, "\n");
    auto add = [&](int c, const std::string& v) { doc->prefix.push_back(p.make(c, v)); };
    DatabaseImpl& d = db.impl();
    add(0, "SECTION"), add(2, "HEADER");
    add(9, "$ACADVER"), add(1, "AC1009");
    add(9, "$DWGCODEPAGE"), add(3, "ANSI_1252");
    add(9, "$HANDSEED");
    doc->handseedIndex = static_cast<long>(doc->prefix.size());
    add(5, Hex(d.nextHandle()));
    add(9, "$LUNITS"), add(70, std::to_string(d.units.lunits));
    add(9, "$LUPREC"), add(70, std::to_string(d.units.luprec));
    add(0, "ENDSEC");
    add(0, "SECTION"), add(2, "TABLES");
    auto table = [&](const char* name, AcDbObjectId tableId) {
        auto* t = static_cast<AcDbSymbolTable*>(DatabaseImpl::peek(tableId));
        add(0, "TABLE"), add(2, name), add(70, std::to_string(t->records().size()));
        for (AcDbObjectId id : t->records()) {
            auto* rec = static_cast<AcDbSymbolTableRecord*>(DatabaseImpl::peek(id));
            add(0, name), add(5, Hex(id.handle())), add(2, doc->codec.encode(rec->name()));
            if (auto* layer = AcDbLayerTableRecord::cast(rec)) {
                doc->layerFlags.emplace_back(id, doc->prefix.size());
                add(70, layer->isLocked() ? "4" : "0"), add(62, "7"), add(6, "CONTINUOUS");
            } else if (auto* style = AcDbTextStyleTableRecord::cast(rec)) {
                add(70, "0"), add(40, FormatDouble(style->textSize())), add(41, FormatDouble(style->xScale()));
                add(50, "0"), add(71, "0"), add(42, "2.5"), add(3, "txt"), add(4, "");
            } else {
                add(70, "0");
            }
        }
        add(0, "ENDTAB");
    };
    table("LAYER", d.layers);
    table("STYLE", d.textStyles);
    add(0, "ENDSEC");
    add(0, "SECTION"), add(2, "ENTITIES");
    Patcher s(doc->suffix, "\n");
    doc->suffix.push_back(s.make(0, "ENDSEC"));
    doc->suffix.push_back(s.make(0, "EOF"));
    return doc;
}

} // namespace

std::string WriteDxf(AcDbDatabase& db) {
    DatabaseImpl& d = db.impl();
    std::unique_ptr<DxfDocument> made;
    const DxfDocument& doc = d.dxf ? *d.dxf : *(made = NewDocument(db));
    std::vector<DxfGroup> prefix = doc.prefix;
    if (doc.handseedIndex >= 0) {
        DxfGroup& seed = prefix[static_cast<size_t>(doc.handseedIndex)];
        if (d.handedOutHandles() && ParseHex(seed.value()) < d.nextHandle()) seed.setValue(Hex(d.nextHandle()));
    }
    for (auto& [id, index] : doc.layerFlags) {
        auto* layer = static_cast<AcDbLayerTableRecord*>(DatabaseImpl::peek(id));
        DxfGroup& flags = prefix[index];
        long v = std::strtol(flags.value().c_str(), nullptr, 10);
        if (((v & 4) != 0) != layer->isLocked()) {
            // Keep the field width of the file's own value.
            std::string text = flags.value();
            std::string nv = std::to_string(layer->isLocked() ? (v | 4) : (v & ~4L));
            if (nv.size() < text.size()) nv.insert(0, text.size() - nv.size(), ' ');
            flags.setValue(nv);
        }
    }
    std::string out;
    for (const DxfGroup& g : prefix)
        out += g.codeLine, out += g.valueLine;
    if (!doc.hasEntitiesSection && !d.drawingOrder().empty()) {
        // A drawing without an ENTITIES section gets one when it gains entities.
        std::vector<DxfGroup> none;
        Patcher p(none, doc.lineEnd);
        for (const DxfGroup& g : {p.make(0, "SECTION"), p.make(2, "ENTITIES")})
            out += g.codeLine, out += g.valueLine;
    }
    for (AcDbObjectId id : d.drawingOrder()) {
        const AcDbObject* obj = DatabaseImpl::peek(id);
        if (!obj->isErased()) AppendEntity(out, *static_cast<const AcDbEntity*>(obj), doc);
    }
    if (!doc.hasEntitiesSection && !d.drawingOrder().empty()) {
        std::vector<DxfGroup> none;
        Patcher p(none, doc.lineEnd);
        DxfGroup g = p.make(0, "ENDSEC");
        out += g.codeLine + g.valueLine;
    }
    for (const DxfGroup& g : doc.suffix)
        out += g.codeLine, out += g.valueLine;
    out += doc.tail;
    return out;
}

bool WriteDxfFile(AcDbDatabase& db, const std::string& path, std::string& error) {
    std::string bytes = WriteDxf(db);
#ifdef _WIN32
    FILE* f = _wfopen(FromUtf8(path).c_str(), L"wb");
#else
    FILE* f = std::fopen(path.c_str(), "wb");
#endif
    if (!f) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) error = "cannot write " + path;
    return ok;
}

} // namespace qarx
