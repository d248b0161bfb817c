// Loads one module by hand, as a host's loader would, and prints what its
// entry points answer, one JSON object, for the Wine tests.
#include "qarx/drx.h"
#include "qarx/hostctl.h"

#include <cstdio>
#include <string>

namespace {

template <class F> F Proc(HMODULE m, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

typedef AcRx::AppRetCode (*EntryPointFn)(AcRx::AppMsgCode, void*);
typedef int (*ArxVersionFn)();

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    bool withoutDocManager = argc > 2 && std::wstring(argv[2]) == L"--no-doc-manager";
    qarx::Host& host = qarx::Host::get();
    host.setDocManagerAvailable(!withoutDocManager);
    HMODULE m = LoadLibraryW(argv[1]);
    if (!m) return 3;
    std::printf("{\"reactorsAfterLoad\":%d", host.documentReactors());
    host.setDocManagerAvailable(true);
    auto entry = Proc<EntryPointFn>(m, "acrxEntryPoint");
    if (auto create = Proc<OdrxCreateModuleObjectFn>(m, "odrxCreateModuleObject")) {
        HINSTANCE first = m, second = m;
        OdRxModule* a = create(first);
        OdRxModule* b = create(second);
        std::printf(",\"sameObject\":%s,\"firstArgCleared\":%s,\"secondArgKept\":%s,\"sysDataIsModule\":%s",
                    a == b ? "true" : "false", first == nullptr ? "true" : "false", second == m ? "true" : "false",
                    a->sysData() == m ? "true" : "false");
        std::wstring path = a->moduleName();
        std::printf(",\"moduleNameIsPath\":%s",
                    path.size() > 4 && path.find(L"Quendrel") != std::wstring::npos ? "true" : "false");
        int v[4] = {-1, -1, -1, -1};
        Proc<OdrxGetApiVersionFn>(m, "odrxGetAPIVersion")(v[0], v[1], v[2], v[3]);
        std::printf(",\"odrxVersion\":[%d,%d,%d,%d]", v[0], v[1], v[2], v[3]);
        int w[4] = {-1, -1, -1, -1};
        Proc<OdrxGetApiVersionFn>(m, "acrxGetApiVersion")(w[0], w[1], w[2], w[3]);
        std::printf(",\"acrxVersion\":[%d,%d,%d,%d]", w[0], w[1], w[2], w[3]);
        a->deleteModule();
    } else {
        std::printf(",\"acrxVersion\":%d", Proc<ArxVersionFn>(m, "acrxGetApiVersion")());
    }
    // Codes outside the family's range, and the LISP messages, change nothing.
    auto* stack = static_cast<AcEdCommandStack*>(acrxSysRegistry()->at(ACRX_COMMAND_DOCK));
    std::printf(",\"unknownCodes\":[");
    int codes[] = {16, 17, 40, 3, 4, 5};
    for (size_t i = 0; i < sizeof codes / sizeof codes[0]; ++i)
        std::printf("%s%d", i ? "," : "", static_cast<int>(entry(static_cast<AcRx::AppMsgCode>(codes[i]), m)));
    std::printf("],\"commandsBeforeInit\":%d,\"lisp\":%d", static_cast<int>(stack->groups().size()),
                host.lispDefinitions());
    entry(AcRx::kInitAppMsg, m);
    const AcEdCommand* te = stack->lookupCmd(L"TE");
    std::printf(",\"te\":%s", te ? "true" : "false");
    if (te)
        std::printf(",\"flags\":%ld,\"resourceIsModule\":%s", static_cast<long>(te->flags),
                    te->resourceInstance == m ? "true" : "false");
    entry(AcRx::kUnloadAppMsg, m);
    std::printf(",\"teAfterUnload\":%s", stack->lookupCmd(L"TE") ? "true" : "false");
    FreeLibrary(m);
    std::printf(",\"reactorsAfterFree\":%d}\n", host.documentReactors());
    return 0;
}
