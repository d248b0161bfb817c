// Editor services of the host: result buffers, selection sets, the command
// line, the display, number conversion, the drawing view and window-message
// filters.
#pragma once

#include "qarx/db.h"

// Result codes of selection and input functions.
enum {
    RTNONE = 5000,
    RTREAL = 5001,
    RTPOINT = 5002,
    RTSHORT = 5003,
    RTENAME = 5006,
    RTPICKS = 5007,
    RTSTR = 5005,
    RT3DPOINT = 5009,
    RTLONG = 5010,
    RTDXF0 = 5020,
    RTNORM = 5100,
    RTERROR = -5001,
    RTCAN = -5002,
    RTREJ = -5003,
    RTFAIL = -5004,
    RTKWORD = -5005,
};

typedef std::int64_t ads_name[2];
typedef double ads_point[3];

union ads_u_val {
    double rreal;
    ads_point rpoint;
    short rint;
    ACHAR* rstring;
    std::int32_t rlong;
    ads_name rlname;
};

struct resbuf {
    resbuf* rbnext;
    short restype;
    ads_u_val resval;
};

// Builds a list of (code, value) pairs ended by 0. Strings for RTSTR, RTDXF0,
// -4 and 0 to 9; points for RTPOINT, RT3DPOINT and 10 to 39; doubles for
// RTREAL and 40 to 59; shorts for RTSHORT and 60 to 79; longs for RTLONG and
// 90 to 99.
QARX_API resbuf* acutBuildList(int code, ...);
QARX_API int acutRelRb(resbuf* rb);
QARX_API resbuf* acutNewRb(int type);

// mode null: the user's selection (or the pick-first one for a command
// registered to take it); ":E" with a point: everything under the point.
QARX_API int acedSSGet(const ACHAR* mode, const void* pt1, const void* pt2, const resbuf* filter, ads_name ss);
// The pick-first selection as a list holding its set name, or null.
QARX_API int acedSSGetFirst(resbuf** gripSet, resbuf** pickSet);
QARX_API int acedSSLength(const ads_name ss, Adesk::Int32* len);
QARX_API int acedSSName(const ads_name ss, Adesk::Int32 i, ads_name entity);
QARX_API int acedSSFree(const ads_name ss);
QARX_API Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name entity);
QARX_API Acad::ErrorStatus acdbGetAdsName(ads_name entity, AcDbObjectId id);

QARX_API int acutPrintf(const ACHAR* format, ...);
QARX_API int acedGrText(int box, const ACHAR* text, int highlight);
QARX_API int acedRedraw(const ads_name entity, int mode);
QARX_API void acedUpdateDisplay();

// Numbers to and from text in the drawing's linear units (unit -1: LUNITS,
// precision -1: LUPREC).
QARX_API int acdbRToS(double value, int unit, int prec, ACHAR* str, size_t size);
QARX_API int acdbDisToF(const ACHAR* str, int unit, double* value);

// The drawing view of the current document.
class QARX_API AcDwgView {
public:
    HWND GetSafeHwnd() const { return hwnd_; }
    void setHwnd(HWND h) { hwnd_ = h; }

private:
    HWND hwnd_ = nullptr;
};
QARX_API AcDwgView* acedGetAcadDwgView();
QARX_API int acedCoordFromPixelToWorld(int windnum, const int pixel[2], ads_point world);
// Coordinate systems: 0 world, 1 user, 2 display.
QARX_API int acedTrans(const ads_point pt, const resbuf* from, const resbuf* to, int disp, ads_point result);

#ifdef _WIN32
typedef BOOL (*AcedFilterWinMsgFn)(MSG*);
QARX_API bool acedRegisterFilterWinMsg(AcedFilterWinMsgFn fn);
QARX_API bool acedRemoveFilterWinMsg(AcedFilterWinMsgFn fn);
#endif

// LISP functions of an application.
QARX_API int acedDefun(const ACHAR* name, int fcode);
QARX_API int acedRegFunc(int (*fn)(), int fcode);
QARX_API int acedUndef(const ACHAR* name, int fcode);
QARX_API int acedGetFunCode();
