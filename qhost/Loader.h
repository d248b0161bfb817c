// Loads modules as the two host families do.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class OdRxModule;

namespace qhost {

// A function of a module by name, as its own type; null when it has none.
template <class F> F ProcAddress(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct Module {
    std::wstring path;
    HMODULE handle = nullptr;
    OdRxModule* drx = nullptr; // BRX modules only
    void* entry = nullptr;
};

class Loader {
public:
    Loader();
    // Throws LineError with the reason when the module cannot be loaded.
    void load(const std::wstring& path);
    void unload(const std::wstring& path);
    void unloadAll();
    std::vector<std::wstring> fileNames() const;

private:
    void sendInit(Module& m);
    std::vector<Module> modules_;
    Module* loading_ = nullptr;
};

} // namespace qhost
