// What the host family changes in the text model.
#pragma once

#include "qarx/ap.h"

#ifdef QUENDREL_BRX
// The BRX hosts show and write fields as plain text.
inline constexpr bool kHostEvaluatesFields = false;
inline AcTransactionManager* CurrentTransactionManager() { return acTransactionManagerPtr(); }
#else
inline constexpr bool kHostEvaluatesFields = true;
inline AcTransactionManager* CurrentTransactionManager() {
    AcApDocument* doc = acDocManagerPtr() ? acDocManagerPtr()->curDocument() : nullptr;
    return doc ? doc->transactionManager() : nullptr;
}
#endif
