#include "model/Diagnostics.h"

#include "qarx/ed.h"

#include <cstring>
#include <string>

void ReportFailedOpen(const char* file, int line, Acad::ErrorStatus es) {
    // The file's own name, without the build machine's folders.
    const char* name = file;
    for (const char* p = file; *p; ++p)
        if (*p == '/' || *p == '\\') name = p + 1;
    std::wstring wname(name, name + std::strlen(name));
    acutPrintf(L"\n!%ls@%d: %ls", wname.c_str(), line, acadErrorStatusText(es));
}
