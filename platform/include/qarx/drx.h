// The BRX host's dynamic-module protocol: a module exports
// odrxCreateModuleObject, whose object the host initialises before it sends
// the module its messages through acrxEntryPoint.
#pragma once

#include "qarx/base.h"

#include <cstddef>

class OdRxClass;

class OdRxModule {
public:
    virtual ~OdRxModule() = default;
    virtual void* queryX(const OdRxClass*) const { return nullptr; }
    virtual void* x(const OdRxClass*) const { return nullptr; }
    virtual OdRxClass* isA() const { return nullptr; }
    virtual void addRef() = 0;
    virtual void release() = 0;
    virtual long numRefs() const = 0;
    virtual OdRxModule* clone() const { return nullptr; }
    virtual void copyFrom(const OdRxModule*) {}
    virtual int comparedTo(const OdRxModule*) const { return 0; }
    virtual bool isEqualTo(const OdRxModule* other) const { return other == this; }
    virtual void* sysData() = 0;
    virtual void deleteModule() = 0;
    virtual void initApp() = 0;
    virtual void uninitApp() = 0;
    virtual const ACHAR* moduleName() const = 0;
};

// Host functions the module object calls.
QARX_API void* odrxAlloc(size_t size);
QARX_API void odrxFree(void* p);
QARX_API void onLoadArxApp(const ACHAR* path);
QARX_API void onUnloadArxApp(const ACHAR* path);

typedef OdRxModule* (*OdrxCreateModuleObjectFn)(HINSTANCE& hModule);
typedef void (*OdrxGetApiVersionFn)(int& major, int& minor, int& majorBuild, int& minorBuild);

#ifdef _WIN32
#include <new>

// The module object of a BRX application: announces the application to the
// host by its path.
class CDrxModule : public OdRxModule {
public:
    void initApp() override { onLoadArxApp(moduleName()); }
    void uninitApp() override { onUnloadArxApp(moduleName()); }
    const ACHAR* moduleName() const override {
        GetModuleFileNameW(instance(), path_, 260);
        return path_;
    }
    virtual HINSTANCE instance() const = 0;

private:
    mutable ACHAR path_[260] = {};
};

// Reference counting and the instance handle over a module class. The one
// object lives in host memory (odrxAlloc) and is freed there.
template <class T> class OdRxWin32Module : public T {
public:
    explicit OdRxWin32Module(HINSTANCE h) : instance_(h) {}
    void addRef() override { InterlockedIncrement(&refs_); }
    void release() override { InterlockedDecrement(&refs_); }
    long numRefs() const override { return refs_; }
    void* sysData() override { return instance_; }
    HINSTANCE instance() const override { return instance_; }
    void deleteModule() override {
        *single() = nullptr;
        this->~OdRxWin32Module();
        odrxFree(this);
    }
    static OdRxWin32Module** single() {
        static OdRxWin32Module* one = nullptr;
        return &one;
    }
    // The first call makes the object and takes the handle from the caller;
    // later calls return it and leave the argument alone.
    static OdRxModule* create(HINSTANCE& hModule) {
        if (!*single()) {
            void* mem = odrxAlloc(sizeof(OdRxWin32Module));
            if (!mem) throw std::bad_alloc();
            *single() = new (mem) OdRxWin32Module(hModule);
            hModule = nullptr;
        }
        return *single();
    }

private:
    HINSTANCE instance_;
    volatile LONG refs_ = 0;
};
#endif
