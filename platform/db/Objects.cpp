#include "DatabaseImpl.h"

#include "dxf/DxfDocument.h"

#include <cwchar>
#include <map>

using qarx::DatabaseImpl;

AcRxClass::AcRxClass(const ACHAR* name, const ACHAR* dxfName, AcRxClass* parent)
    : name_(name), dxfName_(dxfName), parent_(parent) {}

bool AcRxClass::isDerivedFrom(const AcRxClass* other) const {
    for (const AcRxClass* c = this; c; c = c->parent_)
        if (c == other) return true;
    return false;
}

AcRxObject::~AcRxObject() = default;
AcRxClass* AcRxObject::desc() {
    static AcRxClass c(L"AcRxObject", L"", nullptr);
    return &c;
}
AcRxClass* AcRxObject::isA() const { return desc(); }
AcRxObject* AcRxObject::clone() const { return nullptr; }

#define QARX_DEFINE_MEMBERS(CLASS, PARENT, DXFNAME)                                                                    \
    AcRxClass* CLASS::desc() {                                                                                         \
        static AcRxClass c(L## #CLASS, DXFNAME, PARENT::desc());                                                       \
        return &c;                                                                                                     \
    }                                                                                                                  \
    AcRxClass* CLASS::isA() const { return desc(); }

QARX_DEFINE_MEMBERS(AcDbObject, AcRxObject, L"")
QARX_DEFINE_MEMBERS(AcDbEntity, AcDbObject, L"")
QARX_DEFINE_MEMBERS(AcDbField, AcDbObject, L"FIELD")
QARX_DEFINE_MEMBERS(AcDbText, AcDbEntity, L"TEXT")
QARX_DEFINE_MEMBERS(AcDbAttributeDefinition, AcDbText, L"ATTDEF")
QARX_DEFINE_MEMBERS(AcDbMText, AcDbEntity, L"MTEXT")
QARX_DEFINE_MEMBERS(AcDbDimension, AcDbEntity, L"DIMENSION")
QARX_DEFINE_MEMBERS(AcDbSymbolTableRecord, AcDbObject, L"")
QARX_DEFINE_MEMBERS(AcDbTextStyleTableRecord, AcDbSymbolTableRecord, L"STYLE")
QARX_DEFINE_MEMBERS(AcDbLayerTableRecord, AcDbSymbolTableRecord, L"LAYER")
QARX_DEFINE_MEMBERS(AcDbDimStyleTableRecord, AcDbSymbolTableRecord, L"DIMSTYLE")
QARX_DEFINE_MEMBERS(AcDbBlockTableRecord, AcDbSymbolTableRecord, L"BLOCK_RECORD")
QARX_DEFINE_MEMBERS(AcDbSymbolTable, AcDbObject, L"TABLE")
QARX_DEFINE_MEMBERS(AcDbTextStyleTable, AcDbSymbolTable, L"TABLE")

AcDbObject::AcDbObject() = default;
AcDbObject::AcDbObject(const AcDbObject& other)
    : AcRxObject(other), owner_(other.owner_), dxf_(other.dxf_ ? other.dxf_->cloneForCopy() : nullptr) {}
AcDbObject::~AcDbObject() = default;

AcDbObjectId AcDbObject::objectId() const { return AcDbObjectId(stub_); }
AcDbDatabase* AcDbObject::database() const { return stub_ ? stub_->db : nullptr; }
bool AcDbObject::isErased() const { return erased_; }
bool AcDbObject::isReadEnabled() const { return stub_ && (stub_->readers > 0 || stub_->writer); }
bool AcDbObject::isWriteEnabled() const { return !stub_ || stub_->writer; }
void AcDbObject::setDxfRecord(std::unique_ptr<qarx::DxfRecord> r) { dxf_ = std::move(r); }

Acad::ErrorStatus AcDbObject::writeCheck() const { return isWriteEnabled() ? Acad::eOk : Acad::eNotOpenForWrite; }

Acad::ErrorStatus AcDbObject::close() {
    if (!stub_) return Acad::eNotInDatabase;
    if (stub_->writer) {
        stub_->writer = false;
    } else if (stub_->readers > 0) {
        --stub_->readers;
    } else {
        return Acad::eNotApplicable;
    }
    --qarx::g_openObjectsRef();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::erase(bool erasing) {
    if (Acad::ErrorStatus es = writeCheck()) return es;
    erased_ = erasing;
    return Acad::eOk;
}

AcRxObject* AcDbObject::clone() const { return new AcDbObject(*this); }

Acad::ErrorStatus AcDbObject::getField(const ACHAR* name, AcDbObjectId& fieldId) const {
    for (auto& [n, id] : fields_)
        if (n == name) {
            fieldId = id;
            return Acad::eOk;
        }
    fieldId = AcDbObjectId();
    return Acad::eKeyNotFound;
}

Acad::ErrorStatus AcDbObject::getField(const ACHAR* name, AcDbField*& field, AcDb::OpenMode mode) const {
    field = nullptr;
    AcDbObjectId id;
    if (Acad::ErrorStatus es = getField(name, id)) return es;
    return acdbOpenObject(field, id, mode);
}

Acad::ErrorStatus AcDbObject::setField(const ACHAR* name, AcDbObjectId fieldId) {
    if (Acad::ErrorStatus es = writeCheck()) return es;
    removeField(name);
    fields_.emplace_back(name, fieldId);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::removeField(const ACHAR* name) {
    if (Acad::ErrorStatus es = writeCheck()) return es;
    for (auto it = fields_.begin(); it != fields_.end(); ++it)
        if (it->first == name) {
            fields_.erase(it);
            return Acad::eOk;
        }
    return Acad::eKeyNotFound;
}

ACHAR* AcDbField::getFieldCode(int) const { return acutNewString(code_.c_str()); }

Acad::ErrorStatus AcDbField::setFieldCode(const ACHAR* code) {
    if (Acad::ErrorStatus es = writeCheck()) return es;
    code_ = code;
    return Acad::eOk;
}

Acad::ErrorStatus acdbEvaluateFields(const AcDbObjectId& objId, int, const ACHAR*, AcDbDatabase*, int, int* numFound,
                                     int* numEvaluated) {
    if (numFound) *numFound = 0;
    if (numEvaluated) *numEvaluated = 0;
    AcDbEntity* ent = nullptr;
    if (Acad::ErrorStatus es = acdbOpenAcDbEntity(ent, objId, AcDb::kForWrite)) return es;
    const ACHAR* text = L"";
    if (auto* t = AcDbText::cast(ent)) text = t->textStringConst();
    if (auto* m = AcDbMText::cast(ent)) text = m->contentsConst();
    if (auto* d = AcDbDimension::cast(ent)) text = d->dimensionTextConst();
    const ACHAR* open = std::wcsstr(text, L"%<");
    bool codes = open && std::wcsstr(open, L">%");
    AcDbObjectId fieldId;
    ent->getField(L"TEXT", fieldId);
    if (!codes) {
        ent->removeField(L"TEXT");
    } else {
        if (fieldId.isNull()) {
            fieldId = ent->database()->impl().add(std::make_unique<AcDbField>(), 0, objId);
            ent->setField(L"TEXT", fieldId);
        }
        AcDbField* field = nullptr;
        if (acdbOpenObject(field, fieldId, AcDb::kForWrite) == Acad::eOk) {
            field->setFieldCode(text);
            field->close();
        }
        if (numFound) *numFound = 1;
    }
    ent->close();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLayer(const ACHAR* name) {
    if (Acad::ErrorStatus es = writeCheck()) return es;
    layer_ = name;
    return Acad::eOk;
}
AcRxObject* AcDbEntity::clone() const { return new AcDbEntity(*this); }

AcDbForeignEntity::AcDbForeignEntity(const std::wstring& dxfName) {
    // One descriptor per kind, alive for the process like the built-in ones.
    static std::map<std::wstring, std::unique_ptr<AcRxClass>> classes;
    auto& c = classes[dxfName];
    if (!c) c = std::make_unique<AcRxClass>((L"AcDb:" + dxfName).c_str(), dxfName.c_str(), AcDbEntity::desc());
    class_ = c.get();
}
AcRxObject* AcDbForeignEntity::clone() const { return new AcDbForeignEntity(*this); }

#define QARX_SETTER(CLASS, NAME, TYPE, MEMBER)                                                                         \
    Acad::ErrorStatus CLASS::NAME(TYPE v) {                                                                            \
        if (Acad::ErrorStatus es = writeCheck()) return es;                                                            \
        MEMBER = v;                                                                                                    \
        return Acad::eOk;                                                                                              \
    }

ACHAR* AcDbText::textString() const { return acutNewString(text_.c_str()); }
QARX_SETTER(AcDbText, setTextString, const ACHAR*, text_)
QARX_SETTER(AcDbText, setPosition, const AcGePoint3d&, position_)
QARX_SETTER(AcDbText, setAlignmentPoint, const AcGePoint3d&, alignment_)
QARX_SETTER(AcDbText, setHorizontalMode, AcDb::TextHorzMode, hmode_)
QARX_SETTER(AcDbText, setVerticalMode, AcDb::TextVertMode, vmode_)
QARX_SETTER(AcDbText, setHeight, double, height_)
QARX_SETTER(AcDbText, setRotation, double, rotation_)
QARX_SETTER(AcDbText, setWidthFactor, double, widthFactor_)
QARX_SETTER(AcDbText, setTextStyle, AcDbObjectId, style_)
AcRxObject* AcDbText::clone() const { return new AcDbText(*this); }
AcRxObject* AcDbAttributeDefinition::clone() const { return new AcDbAttributeDefinition(*this); }

ACHAR* AcDbMText::contents() const { return acutNewString(contents_.c_str()); }
QARX_SETTER(AcDbMText, setContents, const ACHAR*, contents_)
QARX_SETTER(AcDbMText, setLocation, const AcGePoint3d&, location_)
QARX_SETTER(AcDbMText, setTextHeight, double, height_)
QARX_SETTER(AcDbMText, setWidth, double, width_)
QARX_SETTER(AcDbMText, setLineSpacingFactor, double, spacing_)
QARX_SETTER(AcDbMText, setTextStyle, AcDbObjectId, style_)
AcRxObject* AcDbMText::clone() const { return new AcDbMText(*this); }

ACHAR* AcDbDimension::dimensionText() const { return acutNewString(text_.c_str()); }
QARX_SETTER(AcDbDimension, setDimensionText, const ACHAR*, text_)
QARX_SETTER(AcDbDimension, setTextPosition, const AcGePoint3d&, textPosition_)
QARX_SETTER(AcDbDimension, setDimtxt, double, txtOverride_)
QARX_SETTER(AcDbDimension, setDimtxsty, AcDbObjectId, txstyOverride_)
AcRxObject* AcDbDimension::clone() const { return new AcDbDimension(*this); }

double AcDbDimension::dimtxt() const {
    if (txtOverride_) return *txtOverride_;
    auto* style = AcDbDimStyleTableRecord::cast(DatabaseImpl::peek(dimStyle_));
    return style ? style->dimtxt() : 2.5;
}

AcDbObjectId AcDbDimension::dimtxsty() const {
    if (!txstyOverride_.isNull()) return txstyOverride_;
    auto* style = AcDbDimStyleTableRecord::cast(DatabaseImpl::peek(dimStyle_));
    if (style && !style->dimtxsty().isNull()) return style->dimtxsty();
    // Without a style of its own the dimension's text is in "Standard".
    AcDbDatabase* db = database();
    return db ? db->impl().findRecord(db->textStyleTableId(), L"Standard") : AcDbObjectId();
}

Acad::ErrorStatus AcDbSymbolTableRecord::getName(const ACHAR*& name) const {
    name = name_.c_str();
    return Acad::eOk;
}
Acad::ErrorStatus AcDbSymbolTableRecord::getName(ACHAR*& name) const {
    name = acutNewString(name_.c_str());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbObjectId& newId, AcDbEntity* ent) {
    newId = AcDbObjectId();
    if (!ent) return Acad::eNullObjectPointer;
    if (ent->stub_) return Acad::eAlreadyInDb;
    if (Acad::ErrorStatus es = writeCheck()) return es;
    AcDbDatabase* db = database();
    if (!db) return Acad::eNoDatabase;
    if (Acad::ErrorStatus es = qarx::CheckAppend(ent)) return es;
    newId = db->impl().add(std::unique_ptr<AcDbObject>(ent), 0, objectId());
    newId.stub()->writer = true; // the new entity stays open for write
    ++qarx::g_openObjectsRef();
    entities_.push_back(newId);
    db->impl().appendToOrder(newId);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTable::newIterator(AcDbSymbolTableIterator*& it) const {
    it = new AcDbSymbolTableIterator(records_);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const ACHAR* name, AcDbObjectId& id) const {
    for (AcDbObjectId r : records_) {
        auto* rec = static_cast<AcDbSymbolTableRecord*>(DatabaseImpl::peek(r));
        if (!r.isErased() && qarx::SameSymbolName(rec->name(), name)) {
            id = r;
            return Acad::eOk;
        }
    }
    id = AcDbObjectId();
    return Acad::eKeyNotFound;
}

bool AcDbSymbolTable::has(const ACHAR* name) const {
    AcDbObjectId id;
    return getAt(name, id) == Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecordId(AcDbObjectId& id) const {
    if (done()) return Acad::eInvalidInput;
    id = ids_[pos_];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecord(AcDbSymbolTableRecord*& rec, AcDb::OpenMode mode) const {
    rec = nullptr;
    if (done()) return Acad::eInvalidInput;
    return acdbOpenObject(rec, ids_[pos_], mode);
}
