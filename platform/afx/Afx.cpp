#include "afxext.h"

namespace {
CDynLinkLibrary* g_chain = nullptr;
}

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module) {
    if (state.bInitialized) return TRUE;
    state.hModule = module;
    state.hResource = module;
    state.bInitialized = TRUE;
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state) {
    for (CDynLinkLibrary** p = &g_chain; *p;) {
        if ((*p)->m_hModule == state.hModule) {
            CDynLinkLibrary* dead = *p;
            *p = dead->m_pNextDLL;
            delete dead;
        } else {
            p = &(*p)->m_pNextDLL;
        }
    }
    state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_pNextDLL(g_chain) {
    g_chain = this;
}

CDynLinkLibrary::~CDynLinkLibrary() = default;

CDynLinkLibrary* AfxResourceChain() { return g_chain; }

HINSTANCE AfxFindResourceHandle(LPCWSTR name, LPCWSTR type) {
    for (CDynLinkLibrary* l = g_chain; l; l = l->m_pNextDLL)
        if (FindResourceW(l->m_hResource, name, type)) return l->m_hResource;
    return nullptr;
}

BOOL AfxInitRichEdit2() {
    static HMODULE riched = LoadLibraryW(L"riched20.dll");
    return riched != nullptr;
}
