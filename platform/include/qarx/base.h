// Basic types of the host CAD interface: characters, statuses, points.
#pragma once

#include <cstdint>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#ifdef QARX_BUILDING
#define QARX_API __declspec(dllexport)
#else
#define QARX_API __declspec(dllimport)
#endif
#else
// The native build has no Windows: the few handle types the interface names
// are opaque pointers there.
#define QARX_API
typedef void* HINSTANCE;
typedef void* HWND;
typedef int BOOL;
#endif

typedef wchar_t ACHAR;

namespace Adesk {
typedef std::int16_t Int16;
typedef std::int32_t Int32;
typedef std::int64_t Int64;
typedef bool Boolean;
} // namespace Adesk

namespace Acad {
// Host result codes of database and document operations; 0 is success.
enum ErrorStatus {
    eOk = 0,
    eNotImplementedYet,
    eInvalidInput,
    eNullObjectId,
    eNullObjectPointer,
    eWasErased,
    eWasOpenForRead,
    eWasOpenForWrite,
    eNotOpenForWrite,
    eOnLockedLayer,
    eKeyNotFound,
    eDuplicateKey,
    eNoDatabase,
    eWrongDatabase,
    eInvalidOwnerObject,
    eNotApplicable,
    eLockViolation,
    eNotInDatabase,
    eAlreadyInDb,
    eOutOfMemory,
    eFilerError,
    eBadDxfSequence,
    eNoDocument,
    eDocumentSwitchDisabled,
    eInvalidContext,
};
} // namespace Acad

namespace AcDb {
enum OpenMode { kForRead = 0, kForWrite = 1, kForNotify = 2 };
enum TextHorzMode { kTextLeft = 0, kTextCenter = 1, kTextRight = 2, kTextAlign = 3, kTextMid = 4, kTextFit = 5 };
enum TextVertMode { kTextBase = 0, kTextBottom = 1, kTextVertMid = 2, kTextTop = 3 };
} // namespace AcDb

struct AcGePoint3d {
    double x = 0, y = 0, z = 0;
    AcGePoint3d() = default;
    AcGePoint3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}
    bool operator==(const AcGePoint3d& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const AcGePoint3d& o) const { return !(*this == o); }
};

// The host's text for a status: its enumerator name.
QARX_API const ACHAR* acadErrorStatusText(Acad::ErrorStatus es);
