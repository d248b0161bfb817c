#include "DatabaseImpl.h"

#include "dxf/DxfDocument.h"

#include <cwctype>

namespace qarx {

namespace {
int g_openObjects = 0;
OpenHook g_openHook;
} // namespace

int OpenObjectCount() { return g_openObjects; }
int& g_openObjectsRef() { return g_openObjects; }
void SetOpenHook(OpenHook hook) { g_openHook = std::move(hook); }

namespace {
AppendHook g_appendHook;
}
void SetAppendHook(AppendHook hook) { g_appendHook = std::move(hook); }
Acad::ErrorStatus CheckAppend(AcDbEntity* ent) { return g_appendHook ? g_appendHook(ent) : Acad::eOk; }

bool SameSymbolName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towupper(a[i]) != std::towupper(b[i])) return false;
    return true;
}

DatabaseImpl::DatabaseImpl(AcDbDatabase* self) : self_(self) {}
DatabaseImpl::~DatabaseImpl() = default;

AcDbObjectId DatabaseImpl::add(std::unique_ptr<AcDbObject> obj, std::uint64_t handle, AcDbObjectId owner) {
    if (handle == 0) {
        handle = handseed_;
        handedOut_ = true;
    }
    noteHandle(handle);
    ObjectStub& s = stubs_.emplace_back();
    s.db = self_;
    s.handle = handle;
    obj->stub_ = &s;
    obj->owner_ = owner;
    s.obj = std::move(obj);
    byHandle_.emplace(handle, &s); // the first of repeated handles wins
    return AcDbObjectId(&s);
}

AcDbObjectId DatabaseImpl::addUnhandled(std::unique_ptr<AcDbObject> obj, AcDbObjectId owner) {
    ObjectStub& s = stubs_.emplace_back();
    s.db = self_;
    obj->stub_ = &s;
    obj->owner_ = owner;
    s.obj = std::move(obj);
    return AcDbObjectId(&s);
}

void DatabaseImpl::rehandle(AcDbObjectId id, std::uint64_t handle) {
    ObjectStub* s = id.stub();
    auto it = byHandle_.find(s->handle);
    if (it != byHandle_.end() && it->second == s) byHandle_.erase(it);
    s->handle = handle;
    noteHandle(handle);
    byHandle_.emplace(handle, s);
}

void DatabaseImpl::addToSpace(AcDbObjectId space, AcDbObjectId id) {
    static_cast<AcDbBlockTableRecord*>(peek(space))->entities_.push_back(id);
}

AcDbObjectId DatabaseImpl::findByHandle(std::uint64_t h) const {
    auto it = byHandle_.find(h);
    return it == byHandle_.end() ? AcDbObjectId() : AcDbObjectId(it->second);
}

AcDbObjectId DatabaseImpl::addRecord(AcDbObjectId table, std::unique_ptr<AcDbSymbolTableRecord> rec,
                                     std::uint64_t handle) {
    AcDbObjectId id = add(std::move(rec), handle, table);
    static_cast<AcDbSymbolTable*>(peek(table))->records_.push_back(id);
    return id;
}

AcDbObjectId DatabaseImpl::findRecord(AcDbObjectId table, const std::wstring& name) const {
    for (AcDbObjectId id : static_cast<AcDbSymbolTable*>(peek(table))->records()) {
        auto* r = static_cast<AcDbSymbolTableRecord*>(peek(id));
        if (!id.isErased() && SameSymbolName(r->name(), name)) return id;
    }
    return AcDbObjectId();
}

} // namespace qarx

using qarx::DatabaseImpl;

const AcDbObjectId AcDbObjectId::kNull;

bool AcDbObjectId::isErased() const { return stub_ && stub_->obj && stub_->obj->isErased(); }
std::uint64_t AcDbObjectId::handle() const { return stub_ ? stub_->handle : 0; }
AcDbDatabase* AcDbObjectId::database() const { return stub_ ? stub_->db : nullptr; }

AcDbDatabase::AcDbDatabase() : AcDbDatabase(kNoDefaults) {
    DatabaseImpl& d = *impl_;
    d.rehandle(d.textStyles, 3);
    d.rehandle(d.layers, 2);
    d.rehandle(d.dimStyles, 0xA);
    d.rehandle(d.modelSpace, 0x1F);
    d.rehandle(d.paperSpace, 0x1B);
    auto layer0 = std::make_unique<AcDbLayerTableRecord>();
    layer0->setName(L"0");
    d.addRecord(d.layers, std::move(layer0), 0x10);
    auto standard = std::make_unique<AcDbTextStyleTableRecord>();
    standard->setName(L"Standard");
    d.addRecord(d.textStyles, std::move(standard), 0x11);
    auto dimStandard = std::make_unique<AcDbDimStyleTableRecord>();
    dimStandard->setName(L"Standard");
    d.addRecord(d.dimStyles, std::move(dimStandard), 0x27);
}

AcDbDatabase::AcDbDatabase(NoDefaults) : impl_(std::make_unique<DatabaseImpl>(this)) {
    DatabaseImpl& d = *impl_;
    d.textStyles = d.addUnhandled(std::make_unique<AcDbTextStyleTable>(), AcDbObjectId());
    d.layers = d.addUnhandled(std::make_unique<AcDbSymbolTable>(), AcDbObjectId());
    d.dimStyles = d.addUnhandled(std::make_unique<AcDbSymbolTable>(), AcDbObjectId());
    auto ms = std::make_unique<AcDbBlockTableRecord>();
    ms->setName(L"*Model_Space");
    d.modelSpace = d.addUnhandled(std::move(ms), AcDbObjectId());
    auto ps = std::make_unique<AcDbBlockTableRecord>();
    ps->setName(L"*Paper_Space");
    d.paperSpace = d.addUnhandled(std::move(ps), AcDbObjectId());
}

AcDbDatabase::~AcDbDatabase() = default;
AcDbObjectId AcDbDatabase::modelSpaceId() const { return impl_->modelSpace; }
AcDbObjectId AcDbDatabase::textStyleTableId() const { return impl_->textStyles; }
AcDbObjectId AcDbDatabase::layerTableId() const { return impl_->layers; }
AcDbObjectId AcDbDatabase::dimStyleTableId() const { return impl_->dimStyles; }
AcDbUnits& AcDbDatabase::units() { return impl_->units; }
AcDbObjectId AcDbDatabase::findByHandle(std::uint64_t handle) const { return impl_->findByHandle(handle); }

Acad::ErrorStatus AcDbDatabase::getTextStyleTable(AcDbTextStyleTable*& table, AcDb::OpenMode mode) {
    return acdbOpenObject(table, impl_->textStyles, mode);
}

namespace {

bool OnLockedLayer(const AcDbObject* obj) {
    auto* ent = AcDbEntity::cast(obj);
    if (!ent || !obj->database()) return false;
    DatabaseImpl& d = obj->database()->impl();
    AcDbObjectId layer = d.findRecord(d.layers, ent->layer());
    auto* rec = static_cast<AcDbLayerTableRecord*>(DatabaseImpl::peek(layer));
    return rec && rec->isLocked();
}

} // namespace

Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased) {
    obj = nullptr;
    if (id.isNull()) return Acad::eNullObjectId;
    qarx::ObjectStub* s = id.stub();
    if (qarx::g_openHook) {
        Acad::ErrorStatus es = qarx::g_openHook(id, mode);
        if (es != Acad::eOk) return es;
    }
    if (s->obj->isErased() && !openErased) return Acad::eWasErased;
    if (s->writer) return Acad::eWasOpenForWrite;
    if (mode == AcDb::kForWrite) {
        if (s->readers > 0) return Acad::eWasOpenForRead;
        if (OnLockedLayer(s->obj.get())) return Acad::eOnLockedLayer;
        s->writer = true;
    } else {
        ++s->readers;
    }
    ++qarx::g_openObjects;
    obj = s->obj.get();
    return Acad::eOk;
}

Acad::ErrorStatus acdbOpenAcDbEntity(AcDbEntity*& ent, AcDbObjectId id, AcDb::OpenMode mode, bool openErased) {
    return acdbOpenObject(ent, id, mode, openErased);
}

AcDbDatabase* AcDbHostApplicationServices::workingDatabase() const { return working_; }
void AcDbHostApplicationServices::setWorkingDatabase(AcDbDatabase* db) { working_ = db; }

AcDbHostApplicationServices* acdbHostApplicationServices() {
    static AcDbHostApplicationServices services;
    return &services;
}

ACHAR* acutNewString(const ACHAR* s) {
    size_t n = std::char_traits<ACHAR>::length(s);
    ACHAR* copy = new ACHAR[n + 1];
    std::char_traits<ACHAR>::copy(copy, s, n + 1);
    return copy;
}

void acutDelString(ACHAR*& s) {
    delete[] s;
    s = nullptr;
}

const ACHAR* acadErrorStatusText(Acad::ErrorStatus es) {
    switch (es) {
#define QARX_STATUS(name)                                                                                              \
    case Acad::name: return L## #name;
        QARX_STATUS(eOk)
        QARX_STATUS(eNotImplementedYet)
        QARX_STATUS(eInvalidInput)
        QARX_STATUS(eNullObjectId)
        QARX_STATUS(eNullObjectPointer)
        QARX_STATUS(eWasErased)
        QARX_STATUS(eWasOpenForRead)
        QARX_STATUS(eWasOpenForWrite)
        QARX_STATUS(eNotOpenForWrite)
        QARX_STATUS(eOnLockedLayer)
        QARX_STATUS(eKeyNotFound)
        QARX_STATUS(eDuplicateKey)
        QARX_STATUS(eNoDatabase)
        QARX_STATUS(eWrongDatabase)
        QARX_STATUS(eInvalidOwnerObject)
        QARX_STATUS(eNotApplicable)
        QARX_STATUS(eLockViolation)
        QARX_STATUS(eNotInDatabase)
        QARX_STATUS(eAlreadyInDb)
        QARX_STATUS(eOutOfMemory)
        QARX_STATUS(eFilerError)
        QARX_STATUS(eBadDxfSequence)
        QARX_STATUS(eNoDocument)
        QARX_STATUS(eDocumentSwitchDisabled)
        QARX_STATUS(eInvalidContext)
#undef QARX_STATUS
    }
    return L"eUnknownStatus";
}
