#include "Loader.h"

#include "Script.h"

#include "dxf/DxfDocument.h"
#include "qarx/drx.h"
#include "qarx/hostctl.h"

namespace qhost {

namespace {

typedef AcRx::AppRetCode (*EntryPointFn)(AcRx::AppMsgCode, void*);
EntryPointFn EntryPoint(void* p) { return reinterpret_cast<EntryPointFn>(p); }

std::wstring FileName(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL ||
           CompareStringOrdinal(FileName(a).c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::string Narrow(const std::wstring& s) { return qarx::ToUtf8(s); }

} // namespace

Loader::Loader() {
    // A BRX module object announces its application by path: from then on
    // it is an ARX application and gets its messages.
    qarx::Host::get().loadArxApp = [this](const std::wstring&) {
        if (loading_) sendInit(*loading_);
    };
    qarx::Host::get().unloadArxApp = [](const std::wstring&) {};
}

void Loader::sendInit(Module& m) { EntryPoint(m.entry)(AcRx::kInitAppMsg, m.handle); }

void Loader::load(const std::wstring& path) {
    for (const Module& m : modules_)
        if (SamePath(m.path, path)) throw LineError("already loaded: " + Narrow(path));
    HMODULE h = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!h) throw LineError("cannot load " + Narrow(path) + ": error " + std::to_string(GetLastError()));
    Module m;
    m.path = path;
    m.handle = h;
    m.entry = ProcAddress<void*>(h, "acrxEntryPoint");
    if (!m.entry) {
        FreeLibrary(h);
        throw LineError("not a module (no acrxEntryPoint): " + Narrow(path));
    }
    bool brx =
        path.size() > 4 && CompareStringOrdinal(path.c_str() + path.size() - 4, -1, L".brx", -1, TRUE) == CSTR_EQUAL;
    modules_.push_back(m);
    Module& added = modules_.back();
    if (brx) {
        auto create = ProcAddress<OdrxCreateModuleObjectFn>(h, "odrxCreateModuleObject");
        if (!create) {
            modules_.pop_back();
            FreeLibrary(h);
            throw LineError("a BRX module without odrxCreateModuleObject: " + Narrow(path));
        }
        HINSTANCE handle = h;
        added.drx = create(handle);
        added.drx->addRef();
        loading_ = &added;
        added.drx->initApp();
        loading_ = nullptr;
    } else {
        sendInit(added);
    }
}

void Loader::unload(const std::wstring& path) {
    for (size_t i = 0; i < modules_.size(); ++i) {
        Module& m = modules_[i];
        if (!SamePath(m.path, path)) continue;
        EntryPoint(m.entry)(AcRx::kUnloadAppMsg, m.handle);
        if (m.drx) {
            m.drx->uninitApp();
            m.drx->release();
            m.drx->deleteModule();
        }
        FreeLibrary(m.handle);
        modules_.erase(modules_.begin() + static_cast<long>(i));
        return;
    }
    throw LineError("not loaded: " + Narrow(path));
}

void Loader::unloadAll() {
    while (!modules_.empty())
        unload(modules_.back().path);
}

std::vector<std::wstring> Loader::fileNames() const {
    std::vector<std::wstring> out;
    for (const Module& m : modules_)
        out.push_back(FileName(m.path));
    return out;
}

} // namespace qhost
