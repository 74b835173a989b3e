#include "prjfile/run_control_section.h"

#include <cmath>

#include "app/diagnostics.h"
#include "app/text_convert.h"
#include "app/version.h"

namespace avelor {

namespace {

// File names may be as long as a path.
constexpr std::size_t kFileLineSize = 4096 + 64;

void write_weather(TextWriter& out, const SteadyWeather& w, const char* comment)
{
    out.printf("%7.3f %8.1f %6.3f %5.1f %5.3f %d %d %d %d %d ! %s\n", w.Ta, w.Pb, w.Ws, w.Wd, w.rh,
               w.day, w.u[0], w.u[1], w.u[2], w.u[3], comment);
}

// Weather, contaminant and values files: an empty name is written "null".
void write_file_line(TextWriter& out, const std::string& name, const char* what)
{
    if (name.empty() || name == "null")
        out.printf("null ! no %s\n", what);
    else
        out.printf("%s ! %s\n", name.c_str(), what);
}

void write_solver(TextWriter& out, const SolverSet& s, bool with_gamma, const char* comment)
{
    if (with_gamma)
        out.printf("      %5d %3d %4d %9.2e %9.2e %5.3f %5.3f %3d ! (%s)\n", s.slae, s.rs, s.maxi,
                   s.relcnvg, s.abscnvg, s.relax, s.gamma, s.ucc, comment);
    else
        out.printf("      %5d %3d %4d %9.2e %9.2e %5.3f       %3d ! (%s)\n", s.slae, s.rs, s.maxi,
                   s.relcnvg, s.abscnvg, s.relax, s.ucc, comment);
}

void read_weather(DataReader& in, SteadyWeather& w)
{
    w.Ta = in.read_float(FieldKind::FirstOfNextLine);
    w.Pb = in.read_float();
    w.Ws = in.read_float();
    w.Wd = in.read_float();
    w.rh = in.read_float();
    w.day = in.read_short();
    for (auto& u : w.u) u = in.read_short();
}

std::string read_file_line(DataReader& in)
{
    auto line = in.read_field(FieldKind::NextDataLine, kFileLineSize);
    return line ? file_name_from_line(*line) : std::string();
}

void read_solver(DataReader& in, SolverSet& s, bool with_gamma)
{
    s.slae = in.read_short(FieldKind::FirstOfNextLine);
    s.rs = in.read_short();
    s.maxi = in.read_short();
    s.relcnvg = in.read_float();
    s.abscnvg = in.read_float();
    s.relax = in.read_float();
    if (with_gamma) s.gamma = in.read_float();
    s.ucc = in.read_short();
}

}  // namespace

std::string file_name_from_line(const std::string& line)
{
    // The comment is the last "!" that stands at the start or after a blank,
    // so a name holding "!" itself survives.
    std::size_t cut = line.size();
    for (std::size_t i = line.size(); i-- > 0;) {
        if (line[i] == '!' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
            cut = i;
            break;
        }
    }
    std::string name = line.substr(0, cut);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
    return name;
}

void write_project_header(TextWriter& out, const std::string& description, int echo)
{
    out.printf("AvelorW %s%c %d\n", std::string(current_version_text()).c_str(), kRevisionChar, echo);
    out.printf("%s\n", description.c_str());
}

void write_run_control(TextWriter& out, RunControl& rc)
{
    out.write("! rows cols ud uf    T   uT     N     wH  u  Ao    a\n");
    out.printf("%6d %4d %2u %2u %7.3f %d %7.2f %5.2f %d %5.3f %5.3f\n", rc.rows, rc.cols,
               static_cast<unsigned>(rc.ud), static_cast<unsigned>(rc.uf), rc.T, rc.uT, rc.N, rc.wH,
               rc.u_wH, rc.Ao, rc.a);
    out.write("!  scale     us  orgRow  orgCol  invYaxis showGeom\n");
    out.printf(" %10.3e  %2d   %5d   %5d    %2d       %2d\n", rc.scale, rc.us, rc.orgRow, rc.orgCol,
               rc.invYaxis, rc.showGeom);
    out.write("! Ta       Pb      Ws    Wd    rh  day u..\n");
    write_weather(out, rc.steady, "steady simulation");
    write_weather(out, rc.wind_test, "wind pressure test");
    write_file_line(out, rc.weather_file, "weather file");
    write_file_line(out, rc.contaminant_file, "contaminant file");
    write_file_line(out, rc.continuous_values_file, "continuous values file");
    write_file_line(out, rc.discrete_values_file, "discrete values file");
    if (rc.wpc_file == "null") {
        out.write("null ! no WPC file\n");
        rc.wpctrig = 0;
    } else {
        out.printf("%s ! WPC file\n", rc.wpc_file.c_str());
    }
    if (rc.ewc_file == "null")
        out.write("null ! no EWC file\n");
    else
        out.printf("%s ! EWC file\n", rc.ewc_file.c_str());
    out.printf("%s\n", rc.wpc_description.c_str());
    out.write("!  Xref    Yref    Zref   angle u\n");
    out.printf(" %7.3f %7.3f %7.3f %6.2f %d\n", rc.Xref, rc.Yref, rc.Zref, rc.angle, rc.u_ref);
    out.write("! epsP epsS  tShift  dStart dEnd wp mf wpctrig\n");
    out.printf("  %.2f %.2f %s %5s %5s %2d %2d %2d\n", rc.epsP, rc.epsS, time_text(rc.tShift).c_str(),
               month_day_text(rc.dStart).c_str(), month_day_text(rc.dEnd).c_str(), rc.wp, rc.mf,
               rc.wpctrig);
    out.write("! latd  longtd   tznr  altd  Tgrnd u..\n");
    out.printf("%6.2f %7.2f %6.2f %5.0f %6.2f %d %d\n", rc.latd, rc.longtd, rc.tznr, rc.altd, rc.Tgrnd,
               rc.u_loc[0], rc.u_loc[1]);
    out.write("!sim_af afcalc afmaxi afrcnvg afacnvg afrelax uac Pbldg uPb\n");
    out.printf("%6d %6d %6d %7g %7g %7.2f %3d %5.2f %3d\n", rc.sim_af, rc.afcalc, rc.afmaxi, rc.afrcnvg,
               rc.afacnvg, rc.afrelax, rc.uac, rc.Pbldg, rc.uPb);
    out.write("!   slae rs aflmaxi aflcnvg aflinit Tadj\n");
    out.printf("%7d %3d %6d %7g %6d %4d\n", rc.af_slae, rc.af_rs, rc.aflmaxi, rc.aflcnvg, rc.aflinit,
               rc.Tadj);
    out.write("!sim_mf slae rs maxi   relcnvg   abscnvg relax gamma ucc\n");
    out.printf("%5d         %6d %9.2e %9.2e %5.3f       %3d ! (cyclic)\n", rc.sim_mf, rc.cyclic.maxi,
               rc.cyclic.relcnvg, rc.cyclic.abscnvg, rc.cyclic.relax, rc.cyclic.ucc);
    write_solver(out, rc.nontrace, true, "non-trace");
    write_solver(out, rc.trace, true, "trace");
    write_solver(out, rc.cvode_set, false, "cvode");
    out.write("!mf_solver sim_1dz sim_1dd   celldx  sim_vjt udx\n");
    out.printf("%6d %8d %7d    %9.2e %4d %5d\n", rc.mf_solver, rc.sim_1dz, rc.sim_1dd, rc.celldx,
               rc.sim_vjt, rc.udx);
    out.write("!cvode    rcnvg     acnvg    dtmax\n");
    out.printf("%4d    %9.2e %9.2e %6.2f\n", rc.cvode, rc.rcnvg, rc.acnvg, rc.dtmax);
    out.write("!tsdens relax tsmaxi cnvgSS densZP stackD dodMdt\n");
    out.printf("%4d  %6.2f %5d %5d  %5d  %5d  %5d\n", rc.tsdens, rc.tsrelax, rc.tsmaxi, rc.cnvgSS,
               rc.densZP, rc.stackD, rc.dodMdt);
    out.write("!date_st time_st  date_0 time_0   date_1 time_1    t_step   t_list   t_scrn\n");
    out.printf("%7s %s", day_text(rc.date_st).c_str(), time_text(rc.time_st).c_str());
    out.printf("%7s %s", day_text(rc.date_0).c_str(), time_text(rc.time_0).c_str());
    out.printf("%7s %s", day_text(rc.date_1).c_str(), time_text(rc.time_1).c_str());
    out.printf("  %s", time_text(rc.t_step).c_str());
    out.printf(" %s", time_text(rc.t_list).c_str());
    out.printf(" %s\n", time_text(rc.t_scrn).c_str());
    out.write("!restart  date  time\n");
    out.printf("%5d    %5s %s\n", rc.restart, day_text(rc.rstdate).c_str(),
               time_text(rc.rsttime).c_str());
    out.write("!list doDlg pfsave zfsave zcsave\n");
    out.printf("%4d %5d %6d %6d %6d\n", rc.list, rc.doDlg, rc.pfsave, rc.zfsave, rc.zcsave);
    out.write("!vol ach -bw cbw exp -bw age -bw\n");
    out.printf("%3d %3d %3d %3d %3d %3d %3d %3d\n", rc.output[0], rc.output[1], rc.output[2],
               rc.output[3], rc.output[4], rc.output[5], rc.output[6], rc.output[7]);
    out.write("!rzf rzm rz1 csm srf log\n");
    out.printf("%3d %3d %3d %3d %3d %3d\n", rc.rzf, rc.rzm, rc.rz1, rc.csm, rc.srf, rc.log);
    out.write("!bcx dcx pfq zfq zcq\n");
    out.printf("%3d %3d %3d %3d %3d\n", rc.bcx, rc.dcx, rc.pfq, rc.zfq, rc.zcq);
    out.write("! 0  1  2  3  4  5  6  7  8  9  10 11 12 13 14 15 <- extra[]\n");
    for (std::int32_t value : rc.extra) out.printf(" %2d", value);
    out.write("\n");
    out.printf("%d ! rvals:\n", static_cast<int>(rc.rvals.size()));
    for (float value : rc.rvals) out.printf("%g ", value);
    out.write("\n");
    out.write("!valZ valD valC\n");
    out.printf("%4d %4d %4d\n", rc.valZ, rc.valD, rc.valC);
    out.write("!cfd  cfdcnvg   var zref  maxi dtcmo\n");
    out.printf("%3d  %9.2e %3d %3d   %5d %3d\n", rc.cfd, rc.cfdcnvg, rc.var, 0, rc.cfd_maxi, rc.dtcmo);
    out.printf("%d\n", -999);
}

void read_run_control(DataReader& in, RunControl& rc)
{
    rc.rows = in.read_short(FieldKind::FirstOfNextLine);
    rc.cols = in.read_short();
    rc.ud = in.read_short();
    rc.uf = in.read_short();
    rc.T = in.read_float();
    rc.uT = in.read_short();
    rc.N = in.read_float();
    rc.wH = in.read_float();
    rc.u_wH = in.read_short();
    rc.Ao = in.read_float();
    rc.a = in.read_float();

    rc.scale = in.read_float(FieldKind::FirstOfNextLine);
    rc.us = in.read_short();
    rc.orgRow = in.read_short();
    rc.orgCol = in.read_short();
    rc.invYaxis = in.read_short();
    rc.showGeom = in.read_short();

    read_weather(in, rc.steady);
    read_weather(in, rc.wind_test);
    rc.weather_file = read_file_line(in);
    rc.contaminant_file = read_file_line(in);
    rc.continuous_values_file = read_file_line(in);
    rc.discrete_values_file = read_file_line(in);
    rc.wpc_file = read_file_line(in);
    rc.ewc_file = read_file_line(in);
    auto description = in.read_field(FieldKind::NextDataLine);
    rc.wpc_description = description ? *description : std::string();

    rc.Xref = in.read_float(FieldKind::FirstOfNextLine);
    rc.Yref = in.read_float();
    rc.Zref = in.read_float();
    rc.angle = in.read_float();
    rc.u_ref = in.read_short();

    rc.epsP = in.read_float(FieldKind::FirstOfNextLine);
    rc.epsS = in.read_float();
    rc.tShift = in.read_time();
    rc.dStart = in.read_month_day();
    rc.dEnd = in.read_month_day();
    rc.wp = in.read_short();
    rc.mf = in.read_short();
    rc.wpctrig = in.read_short();

    rc.latd = in.read_float(FieldKind::FirstOfNextLine);
    rc.longtd = in.read_float();
    rc.tznr = in.read_float();
    rc.altd = in.read_float();
    rc.Tgrnd = in.read_float();
    rc.u_loc[0] = in.read_short();
    rc.u_loc[1] = in.read_short();

    rc.sim_af = in.read_short(FieldKind::FirstOfNextLine);
    rc.afcalc = in.read_short();
    rc.afmaxi = in.read_short();
    rc.afrcnvg = in.read_float();
    rc.afacnvg = in.read_float();
    rc.afrelax = in.read_float();
    rc.uac = in.read_short();
    rc.Pbldg = in.read_float();
    rc.uPb = in.read_short();

    rc.af_slae = in.read_short(FieldKind::FirstOfNextLine);
    rc.af_rs = in.read_short();
    rc.aflmaxi = in.read_short();
    rc.aflcnvg = in.read_float();
    rc.aflinit = in.read_short();
    rc.Tadj = in.read_short();

    rc.sim_mf = in.read_short(FieldKind::FirstOfNextLine);
    rc.cyclic.maxi = in.read_short();
    rc.cyclic.relcnvg = in.read_float();
    rc.cyclic.abscnvg = in.read_float();
    rc.cyclic.relax = in.read_float();
    rc.cyclic.ucc = in.read_short();
    read_solver(in, rc.nontrace, true);
    read_solver(in, rc.trace, true);
    read_solver(in, rc.cvode_set, false);

    rc.mf_solver = in.read_short(FieldKind::FirstOfNextLine);
    rc.sim_1dz = in.read_short();
    rc.sim_1dd = in.read_short();
    rc.celldx = in.read_float();
    rc.sim_vjt = in.read_short();
    rc.udx = in.read_short();

    rc.cvode = in.read_int(FieldKind::FirstOfNextLine);
    rc.rcnvg = in.read_float();
    rc.acnvg = in.read_float();
    rc.dtmax = in.read_float();

    rc.tsdens = in.read_short(FieldKind::FirstOfNextLine);
    rc.tsrelax = in.read_float();
    rc.tsmaxi = in.read_short();
    if (rc.tsmaxi < 2) rc.tsmaxi = 2;
    rc.cnvgSS = in.read_short();
    rc.densZP = in.read_short();
    rc.stackD = in.read_short();
    rc.dodMdt = in.read_short();

    rc.date_st = in.read_day(FieldKind::FirstOfNextLine);
    rc.time_st = in.read_time();
    rc.date_0 = in.read_day();
    rc.time_0 = in.read_time();
    rc.date_1 = in.read_day();
    rc.time_1 = in.read_time();
    rc.t_step = in.read_time();
    rc.t_list = in.read_time();
    rc.t_scrn = in.read_time();

    rc.restart = in.read_short(FieldKind::FirstOfNextLine);
    rc.rstdate = in.read_day();
    rc.rsttime = in.read_time();

    rc.list = in.read_short(FieldKind::FirstOfNextLine);
    rc.doDlg = in.read_short();
    rc.pfsave = in.read_int();
    rc.zfsave = in.read_int();
    rc.zcsave = in.read_int();

    for (std::size_t i = 0; i < rc.output.size(); ++i)
        rc.output[i] = in.read_int(i == 0 ? FieldKind::FirstOfNextLine : FieldKind::Next);
    rc.rzf = in.read_int(FieldKind::FirstOfNextLine);
    rc.rzm = in.read_int();
    rc.rz1 = in.read_int();
    rc.csm = in.read_int();
    rc.srf = in.read_int();
    rc.log = in.read_int();
    if (in.older_layout != 31) {
        rc.bcx = in.read_int(FieldKind::FirstOfNextLine);
        rc.dcx = in.read_int();
        rc.pfq = in.read_int();
        rc.zfq = in.read_int();
        rc.zcq = in.read_int();
    }
    for (std::size_t i = 0; i < rc.extra.size(); ++i)
        rc.extra[i] = in.read_int(i == 0 ? FieldKind::FirstOfNextLine : FieldKind::Next);

    const std::int16_t count = in.read_short(FieldKind::FirstOfNextLine);
    if (count < 1) {
        // The engine needs at least one value; keep the ones there are.
        report_error(ERROR, {"Invalid number of rvals: ", int_text(count)});
    } else {
        std::vector<float> values(static_cast<std::size_t>(count));
        for (float& value : values) value = in.read_float();
        rc.rvals = std::move(values);
    }

    rc.valZ = in.read_short(FieldKind::FirstOfNextLine);
    rc.valD = in.read_short();
    rc.valC = in.read_short();

    rc.cfd = in.read_short(FieldKind::FirstOfNextLine);
    rc.cfdcnvg = in.read_float();
    rc.var = in.read_short();
    in.read_field();  // zref: always written 0
    rc.cfd_maxi = in.read_short();
    rc.dtcmo = in.read_short();

    if (in.read_short(FieldKind::FirstOfNextLine) != -999)
        report_error(ERROR, {"PRJ read error; see LOG file"});

    const double height = rc.wH > 0 ? rc.wH / 10.0 : 0.0;
    const double modifier = rc.Ao * std::pow(height, static_cast<double>(rc.a));
    rc.wind_modifier_squared = static_cast<float>(modifier * modifier);
    const double latitude = rc.latd * 3.14159265358979323846 / 180.0;
    rc.sin_latitude = std::sin(latitude);
    rc.cos_latitude = std::cos(latitude);
}

}  // namespace avelor
