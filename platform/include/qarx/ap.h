// Documents of the host: the document manager, locks, reactors, the
// per-document data manager and the transaction manager.
#pragma once

#include "qarx/db.h"

#include <map>

namespace AcAp {
enum DocLockMode {
    kNone = 0x00,
    kAutoWrite = 0x01,
    kNotLocked = 0x02,
    kWrite = 0x04,
    kProtectedAutoWrite = 0x14,
    kRead = 0x20,
    kXWrite = 0x40
};
}

class AcTransactionManager;

class QARX_API AcApDocument {
public:
    explicit AcApDocument(AcDbDatabase* db);
    ~AcApDocument();
    AcDbDatabase* database() const { return db_; }
    AcTransactionManager* transactionManager() const { return tm_; }
    const std::wstring& fileName() const { return name_; }
    void setFileName(const std::wstring& n) { name_ = n; }

private:
    AcDbDatabase* db_;
    AcTransactionManager* tm_;
    std::wstring name_;
};

class QARX_API AcApDocManagerReactor {
public:
    virtual ~AcApDocManagerReactor();
    virtual void documentToBeDestroyed(AcApDocument*) {}
    virtual void documentCreated(AcApDocument*) {}
};

class QARX_API AcApDocManager {
public:
    AcApDocument* curDocument() const;
    AcApDocument* mdiActiveDocument() const { return curDocument(); }
    Acad::ErrorStatus lockDocument(AcApDocument* doc, AcAp::DocLockMode mode = AcAp::kWrite,
                                   const ACHAR* globalCmdName = nullptr, const ACHAR* localCmdName = nullptr,
                                   bool prompt = true);
    Acad::ErrorStatus unlockDocument(AcApDocument* doc);
    Acad::ErrorStatus disableDocumentActivation();
    Acad::ErrorStatus enableDocumentActivation();
    bool isDocumentActivationEnabled() const;
    Acad::ErrorStatus sendStringToExecute(AcApDocument* doc, const ACHAR* str, bool activate = true,
                                          bool wrapUpInactiveDoc = false, bool echoString = true);
    void addReactor(AcApDocManagerReactor* r);
    void removeReactor(AcApDocManagerReactor* r);
};

// Null when the host has no document manager (yet).
QARX_API AcApDocManager* acDocManagerPtr();
// The current document, as the BRX host names it.
QARX_API AcApDocument* curDoc();

// Holds a lock on the document of a database for its lifetime.
class QARX_API AcAxDocLock {
public:
    enum DocLockType { kNormal = 0, kCurDocSwitch = 1 };
    explicit AcAxDocLock(AcDbDatabase* db, DocLockType type = kNormal);
    ~AcAxDocLock();
    AcAxDocLock(const AcAxDocLock&) = delete;
    AcAxDocLock& operator=(const AcAxDocLock&) = delete;
    Acad::ErrorStatus lockStatus() const { return status_; }

private:
    AcApDocument* doc_ = nullptr;
    Acad::ErrorStatus status_;
};

class QARX_API AcTransactionManager {
public:
    Acad::ErrorStatus queueForGraphicsFlush();
    Acad::ErrorStatus flushGraphics();
    int queued() const { return queued_; }
    int flushes() const { return flushes_; }

private:
    int queued_ = 0;
    int flushes_ = 0;
};
// The host's global transaction manager (BRX).
QARX_API AcTransactionManager* acTransactionManagerPtr();

// Keeps one T per document, made on first request; registers itself for
// the documents' destruction.
template <class T> class AcApDataManager : public AcApDocManagerReactor {
public:
    AcApDataManager() {
        if (AcApDocManager* m = acDocManagerPtr()) m->addReactor(this);
    }
    ~AcApDataManager() override {
        if (AcApDocManager* m = acDocManagerPtr()) m->removeReactor(this);
    }
    T& docData(AcApDocument* doc) { return data_[doc]; }
    T& docData() { return docData(acDocManagerPtr()->curDocument()); }
    void documentToBeDestroyed(AcApDocument* doc) override { data_.erase(doc); }
    size_t size() const { return data_.size(); }

private:
    std::map<AcApDocument*, T> data_;
};
