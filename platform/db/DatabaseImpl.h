// Inner workings of the in-memory drawing database, shared by the database
// and the DXF reader and writer. Not part of the interface modules see.
#pragma once

#include "qarx/db.h"

#include <deque>
#include <functional>
#include <string>
#include <unordered_map>

namespace qarx {

struct ObjectStub {
    AcDbDatabase* db = nullptr;
    std::uint64_t handle = 0;
    std::unique_ptr<AcDbObject> obj;
    int readers = 0;
    bool writer = false;
};

class DxfDocument;

class DatabaseImpl {
public:
    explicit DatabaseImpl(AcDbDatabase* self);
    ~DatabaseImpl();

    // Takes the object into the database under the handle (0: a new one).
    AcDbObjectId add(std::unique_ptr<AcDbObject> obj, std::uint64_t handle, AcDbObjectId owner);
    // The database's own tables and spaces before a file has named their handles.
    AcDbObjectId addUnhandled(std::unique_ptr<AcDbObject> obj, AcDbObjectId owner);
    void rehandle(AcDbObjectId id, std::uint64_t handle);
    void addToSpace(AcDbObjectId space, AcDbObjectId id);
    // Entities of the ENTITIES section in drawing order, both spaces, erased ones included.
    const AcDbObjectIdArray& drawingOrder() const { return order_; }
    void appendToOrder(AcDbObjectId id) { order_.push_back(id); }
    AcDbObjectId findByHandle(std::uint64_t h) const;
    std::uint64_t nextHandle() const { return handseed_; }
    // Whether any object was given a new handle since the drawing was read.
    bool handedOutHandles() const { return handedOut_; }
    // Objects a file named without handles have theirs from the reading.
    void forgetHandedOut() { handedOut_ = false; }
    void noteHandle(std::uint64_t h) {
        if (h >= handseed_) handseed_ = h + 1;
    }
    void setHandseed(std::uint64_t h) {
        if (h > handseed_) handseed_ = h;
    }

    AcDbObjectId modelSpace, paperSpace, textStyles, layers, dimStyles;
    AcDbUnits units;
    // The file the drawing was read from, for writing it back; null for a new drawing.
    std::unique_ptr<DxfDocument> dxf;

    // Symbol table helpers; they do not open anything.
    AcDbObjectId addRecord(AcDbObjectId table, std::unique_ptr<AcDbSymbolTableRecord> rec, std::uint64_t handle);
    AcDbObjectId findRecord(AcDbObjectId table, const std::wstring& name) const;
    static AcDbObject* peek(AcDbObjectId id) { return id.isNull() ? nullptr : id.stub()->obj.get(); }

private:
    AcDbDatabase* self_;
    std::deque<ObjectStub> stubs_;
    std::unordered_map<std::uint64_t, ObjectStub*> byHandle_;
    AcDbObjectIdArray order_;
    std::uint64_t handseed_ = 0x20;
    bool handedOut_ = false;
};

// Objects open at this moment, in all databases.
QARX_API int OpenObjectCount();
int& g_openObjectsRef();

// Lets a test make opens fail: the hook sees each open before it happens and
// returns the status to fail it with, or eOk to let it go on.
using OpenHook = std::function<Acad::ErrorStatus(AcDbObjectId, AcDb::OpenMode)>;
QARX_API void SetOpenHook(OpenHook hook);
// Likewise for appending entities to a block table record.
using AppendHook = std::function<Acad::ErrorStatus(AcDbEntity*)>;
QARX_API void SetAppendHook(AppendHook hook);
Acad::ErrorStatus CheckAppend(AcDbEntity* ent);

// Case-insensitive comparison of symbol names, as the host compares them.
bool SameSymbolName(const std::wstring& a, const std::wstring& b);

} // namespace qarx
