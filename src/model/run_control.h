// The project-wide settings of a project: SketchPad size and units, weather
// for steady runs, input files, wind pressure coefficient use, location,
// solver settings, the simulated period and the output switches. Each field
// is named after the word the project file's comment lines use for it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace avelor {

struct SteadyWeather {
    float Ta = 293.15f;   // K
    float Pb = 101325.0f; // Pa
    float Ws = 0;         // m/s
    float Wd = 0;         // degrees
    float rh = 0;
    std::int16_t day = 1;
    std::array<std::int16_t, 4> u{2, 0, 0, 1};
};

struct SolverSet {
    std::int32_t slae = 0;
    std::int32_t rs = 1;
    std::int32_t maxi = 100;
    float relcnvg = 1e-06f;
    float abscnvg = 1e-15f;
    float relax = 1.1f;
    float gamma = 1;
    std::int32_t ucc = 0;
};

struct RunControl {
    // SketchPad and units.
    std::int16_t rows = 58;
    std::int16_t cols = 66;
    std::int16_t ud = 0;  // default display units: 0 SI
    std::int16_t uf = 0;  // default flow unit index
    float T = 293.15f;    // default temperature of new zones, K
    std::int16_t uT = 2;
    // Wind.
    float N = 0;     // relative north, degrees
    float wH = 10;   // roof or wall height, m
    std::int16_t u_wH = 0;
    float Ao = 0.6f; // local terrain constant
    float a = 0.28f; // velocity profile exponent
    float wind_modifier_squared = 0.36f;  // derived: (Ao * (wH / 10)^a)^2

    // SketchPad geometry.
    float scale = 1;
    std::int16_t us = 0;
    std::int16_t orgRow = 56;
    std::int16_t orgCol = 1;
    std::int16_t invYaxis = 0;
    std::int16_t showGeom = 0;

    SteadyWeather steady;
    SteadyWeather wind_test{293.15f, 101325.0f, 1, 270, 0, 1, {2, 0, 0, 1}};

    std::string weather_file = "null";
    std::string contaminant_file = "null";
    std::string continuous_values_file = "null";
    std::string discrete_values_file = "null";
    std::string wpc_file = "null";
    std::string ewc_file = "null";
    std::string wpc_description = "WPC description";

    // Coordinates of the wind pressure coefficient data.
    float Xref = 0, Yref = 0, Zref = 0, angle = 0;
    std::int16_t u_ref = 0;
    float epsP = 0.01f;
    float epsS = 0.01f;
    std::int32_t tShift = 0;  // seconds
    std::int32_t dStart = 1;  // day of year
    std::int32_t dEnd = 1;
    std::int16_t wp = 0;
    std::int16_t mf = 0;
    std::int16_t wpctrig = 0;
    bool wpc_in_use() const { return wp != 0 || mf != 0; }

    // Location.
    float latd = 40;
    float longtd = -90;
    float tznr = -6;
    float altd = 0;
    float Tgrnd = 283.15f;
    std::array<std::int16_t, 2> u_loc{2, 0};
    double sin_latitude = 0.6427876096865393;  // derived on reading
    double cos_latitude = 0.766044443118978;

    // Airflow solver.
    std::int32_t sim_af = 0;
    std::int32_t afcalc = 1;
    std::int32_t afmaxi = 30;
    float afrcnvg = 1e-05f;
    float afacnvg = 1e-06f;
    float afrelax = 0.75f;
    std::int16_t uac = 0;
    float Pbldg = 50;
    std::int16_t uPb = 0;
    std::int32_t af_slae = 0;
    std::int32_t af_rs = 1;
    std::int32_t aflmaxi = 100;
    float aflcnvg = 1e-06f;
    std::int32_t aflinit = 1;
    std::int32_t Tadj = 0;

    // Contaminant solvers: cyclic, non-trace, trace, cvode.
    std::int32_t sim_mf = 0;
    SolverSet cyclic{0, 1, 30, 1e-04f, 1e-15f, 1.25f, 1, 0};
    SolverSet nontrace;
    SolverSet trace;
    SolverSet cvode_set;
    std::int32_t mf_solver = 0;
    std::int32_t sim_1dz = 1;
    std::int32_t sim_1dd = 0;
    float celldx = 0.1f;
    std::int32_t sim_vjt = 0;
    std::int32_t udx = 0;
    std::int32_t cvode = 0;
    float rcnvg = 1e-06f;
    float acnvg = 1e-13f;
    float dtmax = 0;
    std::int32_t tsdens = 0;
    float tsrelax = 0.75f;
    std::int32_t tsmaxi = 20;
    std::int32_t cnvgSS = 1;
    std::int32_t densZP = 0;
    std::int32_t stackD = 0;
    std::int32_t dodMdt = 0;

    // Simulated period and time steps.
    std::int32_t date_st = 1, time_st = 0;
    std::int32_t date_0 = 1, time_0 = 0;
    std::int32_t date_1 = 1, time_1 = 86400;
    std::int32_t t_step = 300;
    std::int32_t t_list = 3600;
    std::int32_t t_scrn = 3600;
    std::int16_t restart = 0;
    std::int32_t rstdate = 1;
    std::int32_t rsttime = 0;

    // Output.
    std::int16_t list = 1;
    std::int16_t doDlg = 1;
    std::int32_t pfsave = 1, zfsave = 1, zcsave = 1;
    std::array<std::int32_t, 8> output{};  // vol ach -bw cbw exp -bw age -bw
    std::int32_t rzf = 0, rzm = 0, rz1 = 0, csm = 1, srf = 1, log = 1;
    std::int32_t bcx = 0, dcx = 0, pfq = 0, zfq = 0, zcq = 0;
    std::array<std::int32_t, 16> extra{};
    std::vector<float> rvals{1.2041f, 9.8055f};
    std::int16_t valZ = 0, valD = 0, valC = 0;

    // CFD coupling.
    std::int16_t cfd = 0;
    float cfdcnvg = 0.01f;
    std::int16_t var = 0;
    std::int16_t cfd_maxi = 1000;
    std::int16_t dtcmo = 1;
};

// The weather, wind and location data the Weather and Wind Parameters sheet
// edits, taken from one run control into another.
inline void copy_weather_and_site(const RunControl& from, RunControl& to)
{
    to.steady = from.steady;
    to.wind_test = from.wind_test;
    to.N = from.N;
    to.wH = from.wH;
    to.u_wH = from.u_wH;
    to.Ao = from.Ao;
    to.a = from.a;
    to.wind_modifier_squared = from.wind_modifier_squared;
    to.latd = from.latd;
    to.longtd = from.longtd;
    to.tznr = from.tznr;
    to.altd = from.altd;
    to.u_loc = from.u_loc;
    to.sin_latitude = from.sin_latitude;
    to.cos_latitude = from.cos_latitude;
}

}  // namespace avelor
