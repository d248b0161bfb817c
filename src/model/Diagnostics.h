// The report of a failed open: "!file@line: status" on the command line.
#pragma once

#include "qarx/base.h"

void ReportFailedOpen(const char* file, int line, Acad::ErrorStatus es);
#define REPORT_FAILED_OPEN(es) ReportFailedOpen(__FILE__, __LINE__, es)
