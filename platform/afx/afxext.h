// The class library's extension-module support: a module's resources join
// the chain that resource lookups search.
#pragma once

#include <windows.h>

struct AFX_EXTENSION_MODULE {
    BOOL bInitialized;
    HMODULE hModule;
    HMODULE hResource;
};

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);
void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state);

// One link of the resource chain; made on the heap, freed by
// AfxTermExtensionModule.
class CDynLinkLibrary {
public:
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state);
    ~CDynLinkLibrary();
    HMODULE m_hModule;
    HMODULE m_hResource;
    CDynLinkLibrary* m_pNextDLL;
};

// The chain, newest first.
CDynLinkLibrary* AfxResourceChain();
// Finds a resource along the chain; null when no module has it.
HINSTANCE AfxFindResourceHandle(LPCWSTR name, LPCWSTR type);
BOOL AfxInitRichEdit2();
