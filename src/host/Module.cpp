// The module's entry points and its state from load to unload, built in
// this order by static construction.
#include "host/Module.h"

#include "host/QuendrelApp.h"
#include "host/TECommand.h"
#include "host/Variant.h"
#include "qarx/ap.h"

#ifdef _WIN32
#include "acui.h"
#include "afxext.h"
#include "qarx/drx.h"
#endif

#include <vector>

namespace {

// Per-document data: none is ever asked for, but the host learns of the
// manager as a document reactor.
struct CDocData {};

class CDocDataManager : public AcApDataManager<CDocData> {};

#ifdef QUENDREL_BRX
// The BRX framework collects classes, commands and LISP functions in
// registries made before the application object.
struct Registries {
    Registries() {
        classes.reserve(8);
        commands.reserve(8);
        lispFunctions.reserve(8);
    }
    std::vector<const void*> classes;
    std::vector<AcRxDbxApp::Command> commands;
    std::vector<AcRxDbxApp::LispFunction> lispFunctions;
} g_registries;
#endif

HINSTANCE g_instance = nullptr;

} // namespace

CQuendrelApp theApp;

#ifdef QUENDREL_BRX
namespace {
// After the application object, its command goes into the registry, which
// then serves as its command table.
const bool g_commandRegistered = [] {
    g_registries.commands.assign(theApp.commands, theApp.commands + theApp.commandCount);
    theApp.commands = g_registries.commands.data();
    return true;
}();
} // namespace
#endif

namespace {
#ifdef QUENDREL_BRX
// Without a document manager at load the BRX data manager is not registered.
struct CBrxDocDataManager {
    std::unique_ptr<CDocDataManager> manager;
    CBrxDocDataManager() {
        if (acDocManagerPtr()) manager = std::make_unique<CDocDataManager>();
    }
} g_docData;
#else
CDocDataManager g_docData;
#endif
#ifdef _WIN32
AFX_EXTENSION_MODULE g_extensionModule = {};
#endif
} // namespace

#ifdef _WIN32
// The find/replace window's notification message.
const UINT g_findReplaceMessage = RegisterWindowMessageW(L"commdlg_FindReplace");
#endif

HINSTANCE ModuleInstance() { return g_instance; }

#ifdef _WIN32

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = instance;
        theApp.setModuleInstance(instance);
        if (!g_extensionModule.bInitialized && AfxInitExtensionModule(g_extensionModule, instance))
            new CDynLinkLibrary(g_extensionModule);
        InitAcUiDLL();
    } else if (reason == DLL_PROCESS_DETACH) {
        if (g_extensionModule.bInitialized) AfxTermExtensionModule(g_extensionModule);
    }
    return TRUE;
}

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt) {
    return theApp.dispatch(msg, pkt, kLastMessageCode);
}

#ifdef QUENDREL_BRX

extern "C" OdRxModule* odrxCreateModuleObject(HINSTANCE& hModule) {
    return OdRxWin32Module<CDrxModule>::create(hModule);
}

extern "C" void odrxGetAPIVersion(int& major, int& minor, int& majorBuild, int& minorBuild) {
    major = 3;
    minor = QUENDREL_GENERATION == 14 ? 9 : 6;
    majorBuild = 0;
    minorBuild = 0;
}

#else

extern "C" int acrxGetApiVersion() { return QUENDREL_GENERATION == 2013 ? 0x130000 : 0x120000; }

#endif
#endif
