#include "qarx/ed.h"
#include "qarx/hostctl.h"

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

AcDbUnits CurrentUnits() {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    return db ? db->units() : AcDbUnits();
}

} // namespace

// Decimal (2) and scientific (1) units are formatted as such; the others
// (engineering, architectural, fractional) fall back to decimal.
int acdbRToS(double value, int unit, int prec, ACHAR* str, size_t size) {
    if (!str || size == 0 || !std::isfinite(value)) return RTERROR;
    AcDbUnits u = CurrentUnits();
    if (unit < 0) unit = u.lunits;
    if (prec < 0) prec = u.luprec;
    if (prec > 8) prec = 8;
    char buf[64];
    if (unit == 1)
        std::snprintf(buf, sizeof buf, "%.*E", prec, value);
    else
        std::snprintf(buf, sizeof buf, "%.*f", prec, value);
    std::string s = buf;
    if (unit == 1) {
        // The host writes exponents with a sign and two digits: 1.5000E+01.
        size_t e = s.find('E');
        if (e != std::string::npos && e + 2 < s.size()) {
            std::string digits = s.substr(e + 2);
            while (digits.size() > 2 && digits[0] == '0')
                digits.erase(0, 1);
            s = s.substr(0, e + 2) + digits;
        }
    }
    // No minus sign on a value that rounds to zero.
    if (s[0] == '-' && s.find_first_not_of("0.", 1) == (unit == 1 ? s.find('E') : std::string::npos)) s.erase(0, 1);
    if (s.size() + 1 > size) return RTERROR;
    for (size_t i = 0; i <= s.size(); ++i)
        str[i] = static_cast<ACHAR>(s.c_str()[i]);
    return RTNORM;
}

int acdbDisToF(const ACHAR* str, int, double* value) {
    if (!str || !value) return RTERROR;
    const ACHAR* p = str;
    while (*p == L' ' || *p == L'\t')
        ++p;
    if (!*p) return RTERROR;
    ACHAR* end = nullptr;
    double v = std::wcstod(p, &end);
    if (end == p) return RTERROR;
    while (*end == L' ' || *end == L'\t')
        ++end;
    if (*end || !std::isfinite(v)) return RTERROR;
    *value = v;
    return RTNORM;
}
