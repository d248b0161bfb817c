#pragma once

#include "qarx/hostctl.h"

#include <map>

namespace qarx {

struct Host::Impl {
    std::map<AcApDocument*, int> locks;
    std::vector<AcApDocManagerReactor*> reactors;
#ifdef _WIN32
    std::vector<AcedFilterWinMsgFn> filters;
#endif
    AcApDocManager manager;
    AcTransactionManager globalTm;
};

} // namespace qarx
