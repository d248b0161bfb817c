#include "HostImpl.h"

#include <algorithm>

namespace qarx {

Host::Host() : impl_(new Impl) {}

Host& Host::get() {
    static Host host;
    return host;
}

AcApDocument* Host::addDocument(std::unique_ptr<AcDbDatabase> db, const std::wstring& name) {
    auto doc = std::make_unique<AcApDocument>(db.release());
    doc->setFileName(name);
    AcApDocument* p = doc.get();
    docs_.push_back(std::move(doc));
    setCurrent(p);
    for (AcApDocManagerReactor* r : impl_->reactors)
        r->documentCreated(p);
    return p;
}

void Host::closeDocument(AcApDocument* doc) {
    auto it = std::find_if(docs_.begin(), docs_.end(), [&](auto& d) { return d.get() == doc; });
    if (it == docs_.end()) return;
    for (AcApDocManagerReactor* r : std::vector<AcApDocManagerReactor*>(impl_->reactors))
        r->documentToBeDestroyed(doc);
    impl_->locks.erase(doc);
    docs_.erase(it);
    setCurrent(docs_.empty() ? nullptr : docs_.back().get());
}

void Host::closeAllDocuments() {
    while (!docs_.empty())
        closeDocument(docs_.back().get());
}

void Host::setCurrent(AcApDocument* doc) {
    current_ = doc;
    acdbHostApplicationServices()->setWorkingDatabase(doc ? doc->database() : nullptr);
}

int Host::locks() const {
    int n = 0;
    for (auto& [doc, count] : impl_->locks)
        n += count;
    return n;
}

int Host::documentReactors() const { return static_cast<int>(impl_->reactors.size()); }

int Host::filters() const {
#ifdef _WIN32
    return static_cast<int>(impl_->filters.size());
#else
    return 0;
#endif
}

std::wstring Host::takeCommandLine() {
    std::wstring s;
    s.swap(commandLine_);
    return s;
}

bool Host::runCommand(const std::wstring& name) {
    auto* stack = static_cast<AcEdCommandStack*>(acrxSysRegistry()->at(ACRX_COMMAND_DOCK));
    const AcEdCommand* cmd = stack->lookupCmd(name.c_str());
    if (!cmd) return false;
    // A command runs to its end before the next starts; a copy survives its
    // own unregistration.
    AcEdCommand run = *cmd;
    runningFlags_ = run.flags;
    commandRunning_ = true;
    run.function();
    commandRunning_ = false;
    runningFlags_ = 0;
    return true;
}

void Host::runQueuedStrings() {
    while (!queued_.empty()) {
        std::wstring s = queued_.front();
        queued_.erase(queued_.begin());
        size_t start = 0;
        for (size_t nl; (nl = s.find_first_of(L"\n\r ", start)) != std::wstring::npos; start = nl + 1) {
            std::wstring word = s.substr(start, nl - start);
            if (!word.empty() && !runCommand(word)) commandLine_ += L"\nUnknown command \"" + word + L"\".";
        }
    }
}

} // namespace qarx

using qarx::Host;

AcApDocument::AcApDocument(AcDbDatabase* db) : db_(db), tm_(new AcTransactionManager) {}
AcApDocument::~AcApDocument() {
    delete tm_;
    delete db_;
}

AcApDocManagerReactor::~AcApDocManagerReactor() = default;

AcApDocManager* acDocManagerPtr() {
    Host& h = Host::get();
    return h.docManagerAvailable() ? &h.impl().manager : nullptr;
}

AcApDocument* curDoc() { return Host::get().current(); }

AcApDocument* AcApDocManager::curDocument() const { return Host::get().current(); }

Acad::ErrorStatus AcApDocManager::lockDocument(AcApDocument* doc, AcAp::DocLockMode, const ACHAR*, const ACHAR*, bool) {
    Host& h = Host::get();
    if (!doc) return Acad::eNoDocument;
    if (h.refuseLocks_) return Acad::eLockViolation;
    ++h.impl().locks[doc];
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::unlockDocument(AcApDocument* doc) {
    auto& locks = Host::get().impl().locks;
    auto it = locks.find(doc);
    if (it == locks.end() || it->second == 0) return Acad::eNotApplicable;
    if (--it->second == 0) locks.erase(it);
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::disableDocumentActivation() {
    Host::get().activation_ = false;
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::enableDocumentActivation() {
    Host::get().activation_ = true;
    return Acad::eOk;
}

bool AcApDocManager::isDocumentActivationEnabled() const { return Host::get().activation_; }

Acad::ErrorStatus AcApDocManager::sendStringToExecute(AcApDocument* doc, const ACHAR* str, bool, bool, bool echo) {
    Host& h = Host::get();
    if (!doc) return Acad::eNoDocument;
    h.queued_.push_back(str);
    if (echo) h.commandLine_ += str;
    return Acad::eOk;
}

void AcApDocManager::addReactor(AcApDocManagerReactor* r) {
    auto& rs = Host::get().impl().reactors;
    if (std::find(rs.begin(), rs.end(), r) == rs.end()) rs.push_back(r);
}

void AcApDocManager::removeReactor(AcApDocManagerReactor* r) {
    auto& rs = Host::get().impl().reactors;
    rs.erase(std::remove(rs.begin(), rs.end(), r), rs.end());
}

AcAxDocLock::AcAxDocLock(AcDbDatabase* db, DocLockType) : status_(Acad::eNoDocument) {
    for (auto& d : Host::get().documents())
        if (d->database() == db) doc_ = d.get();
    if (!doc_) return;
    status_ = Host::get().impl().manager.lockDocument(doc_);
    if (status_ != Acad::eOk) doc_ = nullptr;
}

AcAxDocLock::~AcAxDocLock() {
    if (doc_) Host::get().impl().manager.unlockDocument(doc_);
}

Acad::ErrorStatus AcTransactionManager::queueForGraphicsFlush() {
    ++queued_;
    return Acad::eOk;
}

Acad::ErrorStatus AcTransactionManager::flushGraphics() {
    ++flushes_;
    return Acad::eOk;
}

AcTransactionManager* acTransactionManagerPtr() { return &Host::get().impl().globalTm; }
