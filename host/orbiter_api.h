// The simulator's interface as a display module sees it. Every declaration keeps the host's own
// shape (char* versus const char*, const, unsigned long on Windows, the order of the virtual
// operations and of the protected data) because the 32-bit plug-in links against the names the
// host's executable exports, and those names encode exactly these types.
#pragma once

#include "windows_api.h"

#ifdef _WIN32
#ifdef KELVANE_HOST_BUILD
#define OAPIFUNC __declspec(dllexport)
#else
#define OAPIFUNC __declspec(dllimport)
#endif
#else
#define OAPIFUNC
#endif

typedef void* OBJHANDLE;
typedef void* FILEHANDLE;
typedef void* THRUSTER_HANDLE;
typedef void* PROPELLANT_HANDLE;

// The module's names for the host's opaque handles.
typedef OBJHANDLE VesselHandle;
typedef FILEHANDLE ScenarioHandle;
typedef THRUSTER_HANDLE ThrusterHandle;
typedef PROPELLANT_HANDLE PropellantHandle;

// The host's vector type: the anonymous struct is its shape, not ours to change. (clang in MSVC
// mode, which builds the Windows plug-in, defines no __GNUC__.)
#if defined(__GNUC__) || defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#endif
union VECTOR3 {
    double data[3];
    struct {
        double x, y, z;
    };
};
#if defined(__GNUC__) || defined(__clang__)
#pragma GCC diagnostic pop
#endif

// The message procedure's result carries a display's address, so it is pointer-sized wherever
// pointers are wider than an int.
#if defined(_WIN32) && !defined(_WIN64)
typedef int OAPI_MSGTYPE;
#else
typedef LRESULT OAPI_MSGTYPE;
#endif
static_assert(sizeof(OAPI_MSGTYPE) == sizeof(void*), "a display's address must fit the result");

#define OAPI_MSG_MFD_OPENED 1
#define OAPI_MSG_MFD_CLOSED 2
#define OAPI_MSG_MFD_UPDATE 3
#define OAPI_MSG_MFD_OPENEDEX 4

#define MFD_LEFT 0
#define MFD_RIGHT 1
#define MAXMFD 12

#define PANEL_MOUSE_LBDOWN 0x01
#define PANEL_MOUSE_RBDOWN 0x02
#define PANEL_MOUSE_LBUP 0x04
#define PANEL_MOUSE_RBUP 0x08
#define PANEL_MOUSE_LBPRESSED 0x10
#define PANEL_MOUSE_RBPRESSED 0x20

struct MFDMODESPEC {
    char* name;
    DWORD key;
    OAPI_MSGTYPE (*msgproc)(UINT msg, UINT mfd, WPARAM wparam, LPARAM lparam);
};

#pragma pack(push, 1)
struct MFDBUTTONMENU {
    const char* line1;
    const char* line2;
    char selchar;
};
#pragma pack(pop)

// A vessel as the host hands it out: the module only holds pointers and calls these queries.
class OAPIFUNC VESSEL {
public:
    char* GetName() const;
    char* GetClassNameA() const;
    double GetMass() const;
    double GetEmptyMass() const;
    void GetPMI(VECTOR3& pmi) const;
    DWORD GetPropellantCount() const;
    DWORD GetThrusterCount() const;
    PROPELLANT_HANDLE GetPropellantHandleByIndex(DWORD index) const;
    THRUSTER_HANDLE GetThrusterHandleByIndex(DWORD index) const;
    double GetPropellantMass(PROPELLANT_HANDLE tank) const;
    double GetPropellantMaxMass(PROPELLANT_HANDLE tank) const;
    double GetThrusterMax0(THRUSTER_HANDLE thruster) const;
    double GetThrusterIsp0(THRUSTER_HANDLE thruster) const;
    void GetThrusterRef(THRUSTER_HANDLE thruster, VECTOR3& pos) const;
    void GetThrusterDir(THRUSTER_HANDLE thruster, VECTOR3& dir) const;
    PROPELLANT_HANDLE GetThrusterResource(THRUSTER_HANDLE thruster) const;
};

class OAPIFUNC MFD {
public:
    MFD(DWORD w, DWORD h, VESSEL* vessel);
    virtual ~MFD();
    virtual void Update(HDC hDC) = 0;
    virtual bool ConsumeKeyBuffered(DWORD key);
    virtual bool ConsumeKeyImmediate(char* kstate);
    virtual bool ConsumeButton(int bt, int event);
    virtual char* ButtonLabel(int bt);
    virtual int ButtonMenu(const MFDBUTTONMENU** menu) const;
    virtual void WriteStatus(FILEHANDLE scn) const;
    virtual void ReadStatus(FILEHANDLE scn);
    virtual void StoreStatus() const;
    virtual void RecallStatus();
    void InvalidateDisplay();
    void InvalidateButtons();
    void Title(HDC hDC, const char* title) const;

protected:
    DWORD W, H;
    DWORD cw, ch;
    VESSEL* pV;

private:
    // The host's record of the instrument that shows this display. The host writes it only after
    // the message procedure has returned the new display.
    void* instrument;
    // The host's own code that writes it (no part of the module).
    friend struct MfdHostAccess;
};

OAPIFUNC int oapiRegisterMFDMode(MFDMODESPEC& spec);
OAPIFUNC bool oapiUnregisterMFDMode(int mode);
OAPIFUNC OBJHANDLE oapiGetVesselByName(char* name);
OAPIFUNC VESSEL* oapiGetVesselInterface(OBJHANDLE hVessel);
OAPIFUNC void oapiWriteScenario_string(FILEHANDLE scn, char* item, char* string);
OAPIFUNC void oapiWriteScenario_int(FILEHANDLE scn, char* item, int value);
OAPIFUNC bool oapiReadScenario_nextline(FILEHANDLE scn, char*& line);
OAPIFUNC int Date2Int(char* date);
OAPIFUNC void InitLib(HINSTANCE hModule);
