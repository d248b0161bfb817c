// ASCII DXF reading and writing. A drawing keeps every group of its file:
// what the host interprets is patched in place on writing, the rest is
// written back byte for byte.
#pragma once

#include "qarx/db.h"

#include <string>
#include <vector>

namespace qarx {

// One group: its code line and its value line, each with its own line end.
struct DxfGroup {
    int code = 0;
    std::string codeLine;  // as in the file, line end included
    std::string valueLine; // as in the file, line end included
    std::string value() const;
    void setValue(const std::string& v); // keeps the line end
};

// The groups of one entity (with its VERTEX, ATTRIB and SEQEND followers),
// and the entity as it was read, so that only what changed is patched.
struct DxfRecord {
    std::vector<DxfGroup> groups;
    std::unique_ptr<AcDbObject> loaded;
    std::unique_ptr<DxfRecord> cloneForCopy() const;
};

// How text bytes of a drawing map to characters.
class DxfCodec {
public:
    void setVersion(const std::string& acadver);
    void setCodePage(const std::string& dwgcodepage);
    bool utf8() const { return utf8_; }
    std::wstring decode(const std::string& bytes) const;
    std::string encode(const std::wstring& text) const;

private:
    bool utf8_ = false;
    const std::uint16_t* upper_ = nullptr; // null: ANSI_1252
};

class DxfDocument {
public:
    std::vector<DxfGroup> prefix; // up to the first entity of ENTITIES
    std::vector<DxfGroup> suffix; // from the ENDSEC of ENTITIES on
    std::string tail;             // bytes after the last whole group
    bool hasEntitiesSection = false;
    std::string version = "AC1009";
    DxfCodec codec;
    long handseedIndex = -1; // value of $HANDSEED in prefix
    std::string lineEnd = "\n";
    // Layer records whose flags group can be patched: record id, group index.
    std::vector<std::pair<AcDbObjectId, size_t>> layerFlags;
};

// Reads an ASCII DXF file into a new database. On failure returns null and
// says why in error.
QARX_API std::unique_ptr<AcDbDatabase> ReadDxfFile(const std::string& path, std::string& error);
QARX_API std::unique_ptr<AcDbDatabase> ReadDxf(const std::string& bytes, std::string& error);
// Writes the drawing as ASCII DXF in the version it was read in (a new
// drawing: R12).
QARX_API std::string WriteDxf(AcDbDatabase& db);
QARX_API bool WriteDxfFile(AcDbDatabase& db, const std::string& path, std::string& error);

// Shortest text that reads back as the same double.
QARX_API std::string FormatDouble(double v);
QARX_API std::string ToUtf8(const std::wstring& s);
QARX_API std::wstring FromUtf8(const std::string& s);

} // namespace qarx
