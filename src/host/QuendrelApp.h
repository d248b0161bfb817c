#pragma once

#include "qarx/rx.h"

// The application: the framework registers TE; this adds the module's own
// start-up and shut-down.
class CQuendrelApp : public AcRxArxApp {
public:
    CQuendrelApp();
    AcRx::AppRetCode On_kInitAppMsg(void* pkt) override;
    AcRx::AppRetCode On_kUnloadAppMsg(void* pkt) override;
};

extern CQuendrelApp theApp;
