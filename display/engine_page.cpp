#include "display/pages.h"

#include "display/number_format.h"
#include "display/text_layout.h"

#include <math.h>

namespace {
// Degrees per radian as the display has always shown it (not the double nearest 180/pi).
const double kDegreesPerRadian = 57.29577951308238;
} // namespace

// Zero divisors (a direction of length 0, no mass, no moment of inertia) give infinities or
// undefined values, which the formatter shows as text; nothing here can fail.
void DrawEnginePage(HDC hDC, VESSEL& vessel, MfdSettings& settings) {
    const DWORD thrusters = vessel.GetThrusterCount();
    if (settings.engineIndex >= thrusters)
        settings.engineIndex = 0;
    // Without thrusters there is no handle to ask about: the host would read through a null one.
    if (thrusters == 0) {
        PrintAt(hDC, 0, 5, "No Engines");
        return;
    }
    const THRUSTER_HANDLE thruster = vessel.GetThrusterHandleByIndex(settings.engineIndex);

    const double mass = vessel.GetMass();
    VECTOR3 pmi;
    vessel.GetPMI(pmi);
    const double thrust = vessel.GetThrusterMax0(thruster);
    const double isp = vessel.GetThrusterIsp0(thruster);
    VECTOR3 r;
    VECTOR3 d;
    vessel.GetThrusterRef(thruster, r);
    vessel.GetThrusterDir(thruster, d);

    const double dLength = sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    const double dx = d.x / dLength, dy = d.y / dLength, dz = d.z / dLength;
    const double fx = dx * thrust, fy = dy * thrust, fz = dz * thrust;

    double linear[3];
    double torque[3];
    const double rLength = sqrt(r.x * r.x + r.y * r.y + r.z * r.z);
    if (rLength == 0) {
        linear[0] = fx / mass;
        linear[1] = fy / mass;
        linear[2] = fz / mass;
        torque[0] = torque[1] = torque[2] = 0;
    } else {
        // Only the force's component along the lever arm moves the centre of mass.
        const double rx = r.x / rLength, ry = r.y / rLength, rz = r.z / rLength;
        const double s = -(rx * fx + ry * fy + rz * fz);
        linear[0] = s * dx / mass;
        linear[1] = s * dy / mass;
        linear[2] = s * dz / mass;
        torque[0] = -(fy * r.z - fz * r.y);
        torque[1] = -(fz * r.x - fx * r.z);
        torque[2] = -(fx * r.y - fy * r.x);
    }
    double angular[3];
    for (int i = 0; i < 3; ++i)
        angular[i] = torque[i] / (mass * pmi.data[i]);

    const bool inNewtons = settings.notation == SI;
    const double shownThrust = inNewtons ? thrust : thrust / 1000;

    char value[kValueBufferSize];
    PrintAt(hDC, 0, 5, "Engine %d", static_cast<int>(settings.engineIndex + 1));
    FormatValue(value, shownThrust, settings.notation);
    PrintAt(hDC, 0, 6, "Vacuum Thrust: %s%s", value, inNewtons ? "N" : "kN");
    FormatValue(value, isp, settings.notation);
    PrintAt(hDC, 0, 7, "ISP: %sN*s/kg", value);
    PrintAt(hDC, 0, 8, "Acceleration:");
    PrintAt(hDC, 0, 9, "    Linear:");
    FormatSignedValue(value, linear[0], settings.notation);
    PrintAt(hDC, 0, 10, "        X: %sm/s^2", value);
    FormatSignedValue(value, linear[1], settings.notation);
    PrintAt(hDC, 0, 11, "        Y: %sm/s^2", value);
    FormatSignedValue(value, linear[2], settings.notation);
    PrintAt(hDC, 0, 12, "        Z: %sm/s^2", value);

    const char* unit = "rad/s^2";
    if (settings.enginesDisplay == DEGREES) {
        for (int i = 0; i < 3; ++i)
            angular[i] *= kDegreesPerRadian;
        unit = "deg/s^2";
    }
    PrintAt(hDC, 0, 13, "    Angular:");
    FormatSignedValue(value, angular[0], settings.notation);
    PrintAt(hDC, 0, 14, "        X: %s%s", value, unit);
    FormatSignedValue(value, angular[1], settings.notation);
    PrintAt(hDC, 0, 15, "        Y: %s%s", value, unit);
    FormatSignedValue(value, angular[2], settings.notation);
    PrintAt(hDC, 0, 16, "        Z: %s%s", value, unit);

    const PROPELLANT_HANDLE resource = vessel.GetThrusterResource(thruster);
    if (!resource) {
        PrintAt(hDC, 0, 17, "Propellant Resource: Not Connected");
        return;
    }
    const DWORD tanks = vessel.GetPropellantCount();
    DWORD i = 0;
    while (i < tanks && vessel.GetPropellantHandleByIndex(i) != resource)
        ++i;
    PrintAt(hDC, 0, 17, "Propellant Resource: Tank %d", static_cast<int>(i) + 1);
}
