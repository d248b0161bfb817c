// The drawing database of the host CAD interface: classes, object ids,
// objects and entities, symbol tables, databases, and opening by id.
#pragma once

#include "qarx/base.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qarx {
struct ObjectStub;
struct DxfRecord;
class DatabaseImpl;
} // namespace qarx

class AcDbDatabase;

// Class descriptor: the kind tests compare against these.
class QARX_API AcRxClass {
public:
    AcRxClass(const ACHAR* name, const ACHAR* dxfName, AcRxClass* parent);
    const ACHAR* name() const { return name_.c_str(); }
    const ACHAR* dxfName() const { return dxfName_.c_str(); }
    AcRxClass* myParent() const { return parent_; }
    bool isDerivedFrom(const AcRxClass* other) const;

private:
    std::wstring name_, dxfName_;
    AcRxClass* parent_;
};

#define QARX_DECLARE_MEMBERS(CLASS)                                                                                    \
    static AcRxClass* desc();                                                                                          \
    static CLASS* cast(const AcRxObject* p) {                                                                          \
        return p && p->isKindOf(CLASS::desc()) ? const_cast<CLASS*>(static_cast<const CLASS*>(p)) : nullptr;           \
    }                                                                                                                  \
    AcRxClass* isA() const override

class QARX_API AcRxObject {
public:
    virtual ~AcRxObject();
    static AcRxClass* desc();
    static AcRxObject* cast(const AcRxObject* p) { return const_cast<AcRxObject*>(p); }
    virtual AcRxClass* isA() const;
    bool isKindOf(const AcRxClass* c) const { return isA()->isDerivedFrom(c); }
    // A copy of the object, not part of any database.
    virtual AcRxObject* clone() const;
};

class QARX_API AcDbObjectId {
public:
    AcDbObjectId() = default;
    explicit AcDbObjectId(qarx::ObjectStub* s) : stub_(s) {}
    static const AcDbObjectId kNull;
    bool isNull() const { return stub_ == nullptr; }
    bool isErased() const;
    // The DXF handle.
    std::uint64_t handle() const;
    AcDbDatabase* database() const;
    qarx::ObjectStub* stub() const { return stub_; }
    bool operator==(const AcDbObjectId& o) const { return stub_ == o.stub_; }
    bool operator!=(const AcDbObjectId& o) const { return stub_ != o.stub_; }
    bool operator<(const AcDbObjectId& o) const { return stub_ < o.stub_; }

private:
    qarx::ObjectStub* stub_ = nullptr;
};

typedef std::vector<AcDbObjectId> AcDbObjectIdArray;

class AcDbField;

class QARX_API AcDbObject : public AcRxObject {
public:
    QARX_DECLARE_MEMBERS(AcDbObject);
    // Fields, by name ("TEXT" for an entity's text).
    bool hasFields() const { return !fields_.empty(); }
    Acad::ErrorStatus getField(const ACHAR* name, AcDbField*& field, AcDb::OpenMode mode) const;
    Acad::ErrorStatus getField(const ACHAR* name, AcDbObjectId& fieldId) const;
    Acad::ErrorStatus setField(const ACHAR* name, AcDbObjectId fieldId);
    Acad::ErrorStatus removeField(const ACHAR* name);
    AcDbObject();
    AcDbObject(const AcDbObject& other);
    AcDbObject& operator=(const AcDbObject&) = delete;
    ~AcDbObject() override;

    AcDbObjectId objectId() const;
    AcDbObjectId ownerId() const { return owner_; }
    AcDbDatabase* database() const;
    bool isErased() const;
    bool isReadEnabled() const;
    bool isWriteEnabled() const;
    Acad::ErrorStatus close();
    Acad::ErrorStatus erase(bool erasing = true);
    AcRxObject* clone() const override;

    // The DXF groups the object was read with; null for objects made here.
    qarx::DxfRecord* dxfRecord() const { return dxf_.get(); }
    void setDxfRecord(std::unique_ptr<qarx::DxfRecord> r);

protected:
    friend class qarx::DatabaseImpl;
    friend class AcDbBlockTableRecord;
    qarx::ObjectStub* stub_ = nullptr;
    // Setters call this: an object in a database must be open for write.
    Acad::ErrorStatus writeCheck() const;
    AcDbObjectId owner_;
    std::vector<std::pair<std::wstring, AcDbObjectId>> fields_;
    bool erased_ = false;
    std::unique_ptr<qarx::DxfRecord> dxf_;
};

class QARX_API AcDbField : public AcDbObject {
public:
    QARX_DECLARE_MEMBERS(AcDbField);
    enum FieldCodeFlag { kFieldCode = 0x10 };
    // A copy; free it with acutDelString.
    ACHAR* getFieldCode(int flags) const;
    Acad::ErrorStatus setFieldCode(const ACHAR* code);

private:
    std::wstring code_;
};

// Evaluates the fields of an object from the field codes in its text. This
// host keeps what it cannot compute: every field shows its code.
QARX_API Acad::ErrorStatus acdbEvaluateFields(const AcDbObjectId& objId, int context, const ACHAR* propName = nullptr,
                                              AcDbDatabase* db = nullptr, int evalFlag = 1, int* numFound = nullptr,
                                              int* numEvaluated = nullptr);

class QARX_API AcDbEntity : public AcDbObject {
public:
    QARX_DECLARE_MEMBERS(AcDbEntity);
    const ACHAR* layer() const { return layer_.c_str(); }
    Acad::ErrorStatus setLayer(const ACHAR* name);
    AcRxObject* clone() const override;

private:
    std::wstring layer_ = L"0";
};

// An entity of a kind the host keeps but does not interpret (LINE, ARC, ...):
// its class descriptor is made from its DXF name.
class QARX_API AcDbForeignEntity : public AcDbEntity {
public:
    explicit AcDbForeignEntity(const std::wstring& dxfName);
    AcRxClass* isA() const override { return class_; }
    AcRxObject* clone() const override;

private:
    AcRxClass* class_;
};

class QARX_API AcDbText : public AcDbEntity {
public:
    QARX_DECLARE_MEMBERS(AcDbText);
    // A copy; free it with acutDelString.
    ACHAR* textString() const;
    const ACHAR* textStringConst() const { return text_.c_str(); }
    Acad::ErrorStatus setTextString(const ACHAR* s);
    AcGePoint3d position() const { return position_; }
    Acad::ErrorStatus setPosition(const AcGePoint3d& p);
    AcGePoint3d alignmentPoint() const { return alignment_; }
    Acad::ErrorStatus setAlignmentPoint(const AcGePoint3d& p);
    AcDb::TextHorzMode horizontalMode() const { return hmode_; }
    Acad::ErrorStatus setHorizontalMode(AcDb::TextHorzMode m);
    AcDb::TextVertMode verticalMode() const { return vmode_; }
    Acad::ErrorStatus setVerticalMode(AcDb::TextVertMode m);
    double height() const { return height_; }
    Acad::ErrorStatus setHeight(double h);
    double rotation() const { return rotation_; }
    Acad::ErrorStatus setRotation(double r);
    double widthFactor() const { return widthFactor_; }
    Acad::ErrorStatus setWidthFactor(double w);
    AcDbObjectId textStyle() const { return style_; }
    Acad::ErrorStatus setTextStyle(AcDbObjectId id);
    AcRxObject* clone() const override;

private:
    std::wstring text_;
    AcGePoint3d position_, alignment_;
    AcDb::TextHorzMode hmode_ = AcDb::kTextLeft;
    AcDb::TextVertMode vmode_ = AcDb::kTextBase;
    double height_ = 2.5, rotation_ = 0, widthFactor_ = 1;
    AcDbObjectId style_;
};

class QARX_API AcDbAttributeDefinition : public AcDbText {
public:
    QARX_DECLARE_MEMBERS(AcDbAttributeDefinition);
    AcRxObject* clone() const override;
};

class QARX_API AcDbMText : public AcDbEntity {
public:
    QARX_DECLARE_MEMBERS(AcDbMText);
    // A copy; free it with acutDelString.
    ACHAR* contents() const;
    const ACHAR* contentsConst() const { return contents_.c_str(); }
    Acad::ErrorStatus setContents(const ACHAR* s);
    AcGePoint3d location() const { return location_; }
    Acad::ErrorStatus setLocation(const AcGePoint3d& p);
    double textHeight() const { return height_; }
    Acad::ErrorStatus setTextHeight(double h);
    double width() const { return width_; }
    Acad::ErrorStatus setWidth(double w);
    double lineSpacingFactor() const { return spacing_; }
    Acad::ErrorStatus setLineSpacingFactor(double f);
    double rotation() const { return rotation_; }
    AcDbObjectId textStyle() const { return style_; }
    Acad::ErrorStatus setTextStyle(AcDbObjectId id);
    AcRxObject* clone() const override;

private:
    friend class qarx::DatabaseImpl;
    std::wstring contents_;
    AcGePoint3d location_;
    double height_ = 2.5, width_ = 0, spacing_ = 1, rotation_ = 0;
    AcDbObjectId style_;
};

// All dimension kinds; the DXF subtype is kept in dimKind.
class QARX_API AcDbDimension : public AcDbEntity {
public:
    QARX_DECLARE_MEMBERS(AcDbDimension);
    // A copy; free it with acutDelString.
    ACHAR* dimensionText() const;
    const ACHAR* dimensionTextConst() const { return text_.c_str(); }
    Acad::ErrorStatus setDimensionText(const ACHAR* s);
    AcGePoint3d textPosition() const { return textPosition_; }
    Acad::ErrorStatus setTextPosition(const AcGePoint3d& p);
    // Text height and style: the dimension's own override, else its style's.
    double dimtxt() const;
    Acad::ErrorStatus setDimtxt(double h);
    AcDbObjectId dimtxsty() const;
    Acad::ErrorStatus setDimtxsty(AcDbObjectId id);
    AcDbObjectId dimensionStyle() const { return dimStyle_; }
    void setDimensionStyle(AcDbObjectId id) { dimStyle_ = id; }
    int dimKind() const { return kind_; }
    void setDimKind(int k) { kind_ = k; }
    bool hasDimtxtOverride() const { return txtOverride_.has_value(); }
    bool hasDimtxstyOverride() const { return !txstyOverride_.isNull(); }
    AcRxObject* clone() const override;

private:
    std::wstring text_;
    AcGePoint3d textPosition_;
    AcDbObjectId dimStyle_;
    int kind_ = 0;
    std::optional<double> txtOverride_;
    AcDbObjectId txstyOverride_;
};

class QARX_API AcDbSymbolTableRecord : public AcDbObject {
public:
    QARX_DECLARE_MEMBERS(AcDbSymbolTableRecord);
    Acad::ErrorStatus getName(const ACHAR*& name) const;
    // A copy; free it with acutDelString.
    Acad::ErrorStatus getName(ACHAR*& name) const;
    const std::wstring& name() const { return name_; }
    void setName(const std::wstring& n) { name_ = n; }

private:
    std::wstring name_;
};

class QARX_API AcDbTextStyleTableRecord : public AcDbSymbolTableRecord {
public:
    QARX_DECLARE_MEMBERS(AcDbTextStyleTableRecord);
    double textSize() const { return size_; }
    void setTextSize(double s) { size_ = s; }
    double xScale() const { return xScale_; }
    void setXScale(double s) { xScale_ = s; }

private:
    double size_ = 0, xScale_ = 1;
};

class QARX_API AcDbLayerTableRecord : public AcDbSymbolTableRecord {
public:
    QARX_DECLARE_MEMBERS(AcDbLayerTableRecord);
    bool isLocked() const { return locked_; }
    void setIsLocked(bool l) { locked_ = l; }

private:
    bool locked_ = false;
};

class QARX_API AcDbDimStyleTableRecord : public AcDbSymbolTableRecord {
public:
    QARX_DECLARE_MEMBERS(AcDbDimStyleTableRecord);
    double dimtxt() const { return dimtxt_; }
    void setDimtxt(double v) { dimtxt_ = v; }
    AcDbObjectId dimtxsty() const { return dimtxsty_; }
    void setDimtxsty(AcDbObjectId id) { dimtxsty_ = id; }

private:
    double dimtxt_ = 2.5;
    AcDbObjectId dimtxsty_;
};

class QARX_API AcDbBlockTableRecord : public AcDbSymbolTableRecord {
public:
    QARX_DECLARE_MEMBERS(AcDbBlockTableRecord);
    // Takes the entity into the database, owned by this record; it stays
    // open for write and the caller closes it.
    Acad::ErrorStatus appendAcDbEntity(AcDbObjectId& newId, AcDbEntity* ent);
    const AcDbObjectIdArray& entities() const { return entities_; }

private:
    friend class qarx::DatabaseImpl;
    AcDbObjectIdArray entities_;
};

class AcDbSymbolTableIterator;

class QARX_API AcDbSymbolTable : public AcDbObject {
public:
    QARX_DECLARE_MEMBERS(AcDbSymbolTable);
    Acad::ErrorStatus newIterator(AcDbSymbolTableIterator*& it) const;
    Acad::ErrorStatus getAt(const ACHAR* name, AcDbObjectId& id) const;
    bool has(const ACHAR* name) const;
    const AcDbObjectIdArray& records() const { return records_; }

private:
    friend class qarx::DatabaseImpl;
    AcDbObjectIdArray records_;
};

class QARX_API AcDbTextStyleTable : public AcDbSymbolTable {
public:
    QARX_DECLARE_MEMBERS(AcDbTextStyleTable);
};

class QARX_API AcDbSymbolTableIterator {
public:
    explicit AcDbSymbolTableIterator(const AcDbObjectIdArray& ids) : ids_(ids) {}
    bool done() const { return pos_ >= ids_.size(); }
    void step() { ++pos_; }
    Acad::ErrorStatus getRecordId(AcDbObjectId& id) const;
    Acad::ErrorStatus getRecord(AcDbSymbolTableRecord*& rec, AcDb::OpenMode mode) const;

private:
    AcDbObjectIdArray ids_;
    size_t pos_ = 0;
};
typedef AcDbSymbolTableIterator AcDbTextStyleTableIterator;

// Linear units of the drawing (LUNITS, LUPREC).
struct AcDbUnits {
    int lunits = 2;
    int luprec = 4;
};

class QARX_API AcDbDatabase {
public:
    // An empty drawing: model space, layer "0", text style "Standard".
    AcDbDatabase();
    // Only the tables and the two spaces, for a drawing read from a file.
    enum NoDefaults { kNoDefaults };
    explicit AcDbDatabase(NoDefaults);
    ~AcDbDatabase();
    AcDbDatabase(const AcDbDatabase&) = delete;
    AcDbDatabase& operator=(const AcDbDatabase&) = delete;

    AcDbObjectId modelSpaceId() const;
    AcDbObjectId textStyleTableId() const;
    AcDbObjectId layerTableId() const;
    AcDbObjectId dimStyleTableId() const;
    Acad::ErrorStatus getTextStyleTable(AcDbTextStyleTable*& table, AcDb::OpenMode mode);
    AcDbUnits& units();
    // The first object with this handle (drawings may repeat handles).
    AcDbObjectId findByHandle(std::uint64_t handle) const;
    qarx::DatabaseImpl& impl() { return *impl_; }
    const qarx::DatabaseImpl& impl() const { return *impl_; }

private:
    std::unique_ptr<qarx::DatabaseImpl> impl_;
};

QARX_API Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode,
                                              bool openErased = false);
QARX_API Acad::ErrorStatus acdbOpenAcDbEntity(AcDbEntity*& ent, AcDbObjectId id, AcDb::OpenMode mode,
                                              bool openErased = false);

template <class T>
Acad::ErrorStatus acdbOpenObject(T*& obj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased = false) {
    AcDbObject* p = nullptr;
    obj = nullptr;
    Acad::ErrorStatus es = acdbOpenAcDbObject(p, id, mode, openErased);
    if (es != Acad::eOk) return es;
    obj = T::cast(p);
    if (!obj) {
        p->close();
        return Acad::eNotApplicable;
    }
    return Acad::eOk;
}

class QARX_API AcDbHostApplicationServices {
public:
    AcDbDatabase* workingDatabase() const;
    void setWorkingDatabase(AcDbDatabase* db);

private:
    AcDbDatabase* working_ = nullptr;
};
QARX_API AcDbHostApplicationServices* acdbHostApplicationServices();

QARX_API void acutDelString(ACHAR*& s);
QARX_API ACHAR* acutNewString(const ACHAR* s);
