// The host's runtime: the system registry, the command stack, the dynamic
// linker, and the application framework a module derives its application from.
#pragma once

#include "qarx/db.h"

#include <map>
#include <string>

namespace AcRx {
enum AppMsgCode {
    kNullMsg = 0,
    kInitAppMsg = 1,
    kUnloadAppMsg = 2,
    kLoadDwgMsg = 3,
    kUnloadDwgMsg = 4,
    kInvkSubrMsg = 5,
    kCfgMsg = 6,
    kEndMsg = 7,
    kQuitMsg = 8,
    kSaveMsg = 9,
    kDependencyMsg = 10,
    kNoDependencyMsg = 11,
    kOleUnloadAppMsg = 12,
    kPreQuitMsg = 13,
    kInitDialogMsg = 14,
    kEndDialogMsg = 15,
    kSuspendMsg = 16,
};
enum AppRetCode { kRetOK = 0, kRetError = 3 };
} // namespace AcRx

#define ACRX_CMD_MODAL 0x00000000
#define ACRX_CMD_TRANSPARENT 0x00000001
#define ACRX_CMD_USEPICKSET 0x00000002
#define ACRX_CMD_REDRAW 0x00000004
#define ACRX_CMD_SESSION 0x00200000
#define ACRX_CMD_INTERRUPTIBLE 0x00400000

typedef void (*AcRxFunctionPtr)();

class AcEdUIContext;

class QARX_API AcEdCommand {
public:
    std::wstring group, globalName, localName;
    Adesk::Int32 flags = 0;
    AcRxFunctionPtr function = nullptr;
    AcEdUIContext* context = nullptr;
    int functionCode = -1;
    HINSTANCE resourceInstance = nullptr;
};

class QARX_API AcRxDictionary : public AcRxObject {
public:
    AcRxObject* at(const ACHAR* key) const;
    void atPut(const ACHAR* key, AcRxObject* obj);

private:
    std::map<std::wstring, AcRxObject*> entries_;
};
QARX_API AcRxDictionary* acrxSysRegistry();

#define ACRX_COMMAND_DOCK L"ACAD_REGISTERED_COMMANDS"
#define ACRX_DYNAMIC_LINKER L"DynamicLinker"

class QARX_API AcEdCommandStack : public AcRxObject {
public:
    Acad::ErrorStatus addCommand(const ACHAR* group, const ACHAR* globalName, const ACHAR* localName,
                                 Adesk::Int32 flags, AcRxFunctionPtr function, AcEdUIContext* context = nullptr,
                                 int fcode = -1, HINSTANCE resourceInstance = nullptr,
                                 AcEdCommand** cmdPtrRet = nullptr);
    Acad::ErrorStatus removeCmd(const ACHAR* group, const ACHAR* globalName);
    // By global name (with or without its leading "_") or local name.
    const AcEdCommand* lookupCmd(const ACHAR* name) const;
    const std::map<std::wstring, std::map<std::wstring, AcEdCommand>>& groups() const { return groups_; }

private:
    std::map<std::wstring, std::map<std::wstring, AcEdCommand>> groups_;
};

class QARX_API AcRxDynamicLinker : public AcRxObject {
public:
    bool unlockApplication(void* appId);
    bool registerAppMDIAware(void* appId);
    bool isApplicationLocked(void* appId) const;
    bool isAppMDIAware(void* appId) const;

private:
    std::map<void*, int> unlocked_, mdiAware_;
};

// The application framework: one virtual handler per host message. The
// default handlers answer OK; those of the messages below do the framework's
// part, and a module's application overrides the ones it needs and calls
// the base first.
class QARX_API AcRxDbxApp {
public:
    explicit AcRxDbxApp(bool unlocked = true, bool mdiAware = true) : unlocked_(unlocked), mdiAware_(mdiAware) {}
    virtual ~AcRxDbxApp() = default;

    struct Command {
        const ACHAR* group;
        const ACHAR* globalName;
        const ACHAR* localName;
        Adesk::Int32 flags;
        AcRxFunctionPtr function;
        AcEdUIContext* context;
        int localNameId;
    };
    struct LispFunction {
        const ACHAR* name;
        int (*function)();
        bool regFunc;
    };

    virtual AcRx::AppRetCode On_kInitAppMsg(void* pkt);
    virtual AcRx::AppRetCode On_kUnloadAppMsg(void* pkt);
    virtual AcRx::AppRetCode On_kLoadDwgMsg(void* pkt);
    virtual AcRx::AppRetCode On_kUnloadDwgMsg(void* pkt);
    virtual AcRx::AppRetCode On_kInvkSubrMsg(void* pkt);
    virtual AcRx::AppRetCode On_kOther(AcRx::AppMsgCode, void*) { return AcRx::kRetOK; }
    virtual void RegisterServerComponents() {}

    // Dispatches codes 0 to lastCode; any other code is answered OK.
    AcRx::AppRetCode dispatch(AcRx::AppMsgCode msg, void* pkt, int lastCode);

    HINSTANCE moduleInstance() const { return instance_; }
    void setModuleInstance(HINSTANCE h) { instance_ = h; }

protected:
    bool unlocked_, mdiAware_;
    HINSTANCE instance_ = nullptr;

public:
    const Command* commands = nullptr;
    size_t commandCount = 0;
    const LispFunction* lispFunctions = nullptr;
    size_t lispFunctionCount = 0;
    // AutoCAD hosts pass no resource instance for commands of the application context.
    bool sessionCommandsWithoutInstance = true;
};

class QARX_API AcRxArxApp : public AcRxDbxApp {
public:
    using AcRxDbxApp::AcRxDbxApp;
};
