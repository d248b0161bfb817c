#include "HostImpl.h"

#include "qarx/drx.h"

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cwchar>
#include <cwctype>

using qarx::Host;

AcRxObject* AcRxDictionary::at(const ACHAR* key) const {
    auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : it->second;
}

void AcRxDictionary::atPut(const ACHAR* key, AcRxObject* obj) { entries_[key] = obj; }

AcRxDictionary* acrxSysRegistry() {
    static AcEdCommandStack commands;
    static AcRxDynamicLinker linker;
    static AcRxDictionary registry = [] {
        AcRxDictionary d;
        d.atPut(ACRX_COMMAND_DOCK, &commands);
        d.atPut(ACRX_DYNAMIC_LINKER, &linker);
        return d;
    }();
    return &registry;
}

Acad::ErrorStatus AcEdCommandStack::addCommand(const ACHAR* group, const ACHAR* globalName, const ACHAR* localName,
                                               Adesk::Int32 flags, AcRxFunctionPtr function, AcEdUIContext* context,
                                               int fcode, HINSTANCE resourceInstance, AcEdCommand** cmdPtrRet) {
    if (!group || !globalName || !localName || !function) return Acad::eInvalidInput;
    for (auto& [g, cmds] : groups_)
        if (cmds.count(globalName)) return Acad::eDuplicateKey;
    AcEdCommand& c = groups_[group][globalName];
    c.group = group;
    c.globalName = globalName;
    c.localName = localName;
    c.flags = flags;
    c.function = function;
    c.context = context;
    c.functionCode = fcode;
    c.resourceInstance = resourceInstance;
    if (cmdPtrRet) *cmdPtrRet = &c;
    return Acad::eOk;
}

Acad::ErrorStatus AcEdCommandStack::removeCmd(const ACHAR* group, const ACHAR* globalName) {
    auto g = groups_.find(group);
    if (g == groups_.end() || !g->second.erase(globalName)) return Acad::eKeyNotFound;
    if (g->second.empty()) groups_.erase(g);
    return Acad::eOk;
}

const AcEdCommand* AcEdCommandStack::lookupCmd(const ACHAR* name) const {
    std::wstring n = name;
    auto upper = [](std::wstring s) {
        for (auto& c : s)
            c = static_cast<wchar_t>(std::towupper(c));
        return s;
    };
    bool global = !n.empty() && n[0] == L'_';
    std::wstring key = upper(global ? n.substr(1) : n);
    for (auto& [g, cmds] : groups_)
        for (auto& [gn, c] : cmds) {
            std::wstring bare = !gn.empty() && gn[0] == L'_' ? gn.substr(1) : gn;
            if (upper(bare) == key || upper(gn) == upper(n) || (!global && upper(c.localName) == key)) return &c;
        }
    return nullptr;
}

bool AcRxDynamicLinker::unlockApplication(void* appId) {
    ++unlocked_[appId];
    return true;
}
bool AcRxDynamicLinker::registerAppMDIAware(void* appId) {
    ++mdiAware_[appId];
    return true;
}
bool AcRxDynamicLinker::isApplicationLocked(void* appId) const { return unlocked_.count(appId) == 0; }
bool AcRxDynamicLinker::isAppMDIAware(void* appId) const { return mdiAware_.count(appId) != 0; }

int acutPrintf(const ACHAR* format, ...) {
    va_list ap;
    va_start(ap, format);
    std::wstring buf(256, L'\0');
    int n;
    while (true) {
        va_list copy;
        va_copy(copy, ap);
        n = std::vswprintf(&buf[0], buf.size(), format, copy);
        va_end(copy);
        if (n >= 0 || buf.size() > (1u << 20)) break;
        buf.resize(buf.size() * 4);
    }
    va_end(ap);
    if (n < 0) return RTERROR;
    buf.resize(static_cast<size_t>(n));
    Host& h = Host::get();
    h.commandLine_ += buf;
    if (h.onPrint) h.onPrint(buf);
    return RTNORM;
}

int acedGrText(int box, const ACHAR*, int) {
    Host::get().lastGrTextBox_ = box;
    return RTNORM;
}

int acedRedraw(const ads_name, int) {
    ++Host::get().redraws_;
    return RTNORM;
}

void acedUpdateDisplay() { ++Host::get().displayUpdates_; }

AcDwgView* acedGetAcadDwgView() { return &Host::get().dwgView; }

int acedCoordFromPixelToWorld(int, const int pixel[2], ads_point world) {
    const qarx::ViewTransform& v = Host::get().view;
    world[0] = v.originX + pixel[0] * v.unitsPerPixel;
    world[1] = v.originY - pixel[1] * v.unitsPerPixel;
    world[2] = 0;
    return RTNORM;
}

// The view looks straight down at the world: display, user and world
// coordinates coincide.
int acedTrans(const ads_point pt, const resbuf*, const resbuf*, int, ads_point result) {
    for (int i = 0; i < 3; ++i)
        result[i] = pt[i];
    return RTNORM;
}

#ifdef _WIN32
bool acedRegisterFilterWinMsg(AcedFilterWinMsgFn fn) {
    auto& f = Host::get().impl().filters;
    if (std::find(f.begin(), f.end(), fn) != f.end()) return false;
    f.push_back(fn);
    return true;
}

bool Host::filterMessage(MSG* msg) {
    // A filter may remove itself while it runs: go over a copy.
    auto filters = impl().filters;
    for (AcedFilterWinMsgFn fn : filters)
        if (fn(msg)) return true;
    return false;
}

bool acedRemoveFilterWinMsg(AcedFilterWinMsgFn fn) {
    auto& f = Host::get().impl().filters;
    auto it = std::find(f.begin(), f.end(), fn);
    if (it == f.end()) return false;
    f.erase(it);
    return true;
}
#endif

int acedDefun(const ACHAR*, int) {
    ++Host::get().lispDefinitions_;
    return RTNORM;
}
int acedRegFunc(int (*)(), int) { return RTNORM; }
int acedUndef(const ACHAR*, int) {
    --Host::get().lispDefinitions_;
    return RTNORM;
}
int acedGetFunCode() { return RTERROR; }

void* odrxAlloc(size_t size) { return std::malloc(size); }
void odrxFree(void* p) { std::free(p); }

void onLoadArxApp(const ACHAR* path) {
    if (Host::get().loadArxApp) Host::get().loadArxApp(path);
}

void onUnloadArxApp(const ACHAR* path) {
    if (Host::get().unloadArxApp) Host::get().unloadArxApp(path);
}

// AcRxDbxApp: the framework's part of the messages.

AcRx::AppRetCode AcRxDbxApp::On_kInitAppMsg(void* pkt) {
    auto* linker = static_cast<AcRxDynamicLinker*>(acrxSysRegistry()->at(ACRX_DYNAMIC_LINKER));
    if (unlocked_) linker->unlockApplication(pkt);
    if (mdiAware_) linker->registerAppMDIAware(pkt);
    RegisterServerComponents();
    auto* stack = static_cast<AcEdCommandStack*>(acrxSysRegistry()->at(ACRX_COMMAND_DOCK));
    for (size_t i = 0; i < commandCount; ++i) {
        const Command& c = commands[i];
        ACHAR local[132] = {};
        const ACHAR* localName = c.localName;
#ifdef _WIN32
        if (!localName) {
            LoadStringW(instance_, static_cast<UINT>(c.localNameId), local, 132);
            localName = local;
        }
#else
        if (!localName) localName = local;
#endif
        HINSTANCE res = sessionCommandsWithoutInstance && (c.flags & ACRX_CMD_SESSION) ? nullptr : instance_;
        stack->addCommand(c.group, c.globalName, localName, c.flags, c.function, c.context, -1, res, nullptr);
    }
    return AcRx::kRetOK;
}

AcRx::AppRetCode AcRxDbxApp::On_kUnloadAppMsg(void*) {
    auto* stack = static_cast<AcEdCommandStack*>(acrxSysRegistry()->at(ACRX_COMMAND_DOCK));
    for (size_t i = 0; i < commandCount; ++i)
        stack->removeCmd(commands[i].group, commands[i].globalName);
    return AcRx::kRetOK;
}

AcRx::AppRetCode AcRxDbxApp::On_kLoadDwgMsg(void*) {
    for (size_t i = 0; i < lispFunctionCount; ++i) {
        acedDefun(lispFunctions[i].name, static_cast<int>(i));
        if (lispFunctions[i].regFunc) acedRegFunc(lispFunctions[i].function, static_cast<int>(i));
    }
    return AcRx::kRetOK;
}

AcRx::AppRetCode AcRxDbxApp::On_kUnloadDwgMsg(void*) {
    for (size_t i = 0; i < lispFunctionCount; ++i)
        acedUndef(lispFunctions[i].name, static_cast<int>(i));
    return AcRx::kRetOK;
}

AcRx::AppRetCode AcRxDbxApp::On_kInvkSubrMsg(void*) {
    int code = acedGetFunCode();
    if (code >= 0 && static_cast<size_t>(code) < lispFunctionCount) lispFunctions[code].function();
    return AcRx::kRetOK;
}

AcRx::AppRetCode AcRxDbxApp::dispatch(AcRx::AppMsgCode msg, void* pkt, int lastCode) {
    if (msg < 0 || msg > lastCode) return AcRx::kRetOK;
    switch (msg) {
    case AcRx::kInitAppMsg: return On_kInitAppMsg(pkt);
    case AcRx::kUnloadAppMsg: return On_kUnloadAppMsg(pkt);
    case AcRx::kLoadDwgMsg: return On_kLoadDwgMsg(pkt);
    case AcRx::kUnloadDwgMsg: return On_kUnloadDwgMsg(pkt);
    case AcRx::kInvkSubrMsg: return On_kInvkSubrMsg(pkt);
    default: return On_kOther(msg, pkt);
    }
}
