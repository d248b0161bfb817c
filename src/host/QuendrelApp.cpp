#include "host/QuendrelApp.h"

#include "host/Settings.h"
#include "host/TECommand.h"
#include "qarx/ed.h"

#ifdef _WIN32
#include "host/DoubleClick.h"
#endif

namespace {

const AcRxDbxApp::Command kCommands[] = {
    {L"Quendrel", L"_TE", L"TE", ACRX_CMD_INTERRUPTIBLE | ACRX_CMD_USEPICKSET, TECommand, nullptr, -1},
};

} // namespace

CQuendrelApp::CQuendrelApp() : AcRxArxApp(true, true) {
    commands = kCommands;
    commandCount = sizeof kCommands / sizeof kCommands[0];
#ifdef QUENDREL_BRX
    sessionCommandsWithoutInstance = false;
#endif
}

AcRx::AppRetCode CQuendrelApp::On_kInitAppMsg(void* pkt) { return AcRxArxApp::On_kInitAppMsg(pkt); }

AcRx::AppRetCode CQuendrelApp::On_kUnloadAppMsg(void* pkt) { return AcRxArxApp::On_kUnloadAppMsg(pkt); }
