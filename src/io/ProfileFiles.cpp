#include "io/ProfileFiles.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "core/Errors.h"
#include "core/Model.h"
#include "core/NumberFormat.h"
#include "io/IronLossFiles.h"

namespace varnodel {

namespace {

constexpr double kCelsius = 273.0;

// A profile value: width 8 with four decimals, or nothing where there is no value.
std::string profileField(const std::vector<double>& values, std::size_t i) {
    if (i >= values.size() || values[i] == 0.0) return ",";
    return fixedField(values[i], 8, 4) + ",";
}

std::string meltFields(const ProfileMelt& m) {
    std::string row;
    for (double v : m.melt.oxides)
        row += fixedField(v, 6, 3) + ",";
    row += fixedField(m.melt.volatile_.value, 6, 3) + ",";
    row += fixedField(m.T - kCelsius, 4, 0) + ",";
    row += fixedField(m.fo * 100.0, 5, 2) + ",";
    return row;
}

}  // namespace

std::string profileResultHeader() {
    return "OriginalRim_X,OriginalRim_FeO,InterpolatedRim_X,InterpolatedRim_FeO,"
           "FullProfile_X,FullProfile_FeO_start,Full_Profile_FeO_end,ReheatedProfile_X,"
           "ReheatedProfile_FeO,"
           "SiO2,TiO2,Al2O3,Fe2O3,FeO,MnO,MgO,CaO,Na2O,K2O,P2O5,Cr2O3,H2O,T(oC),Fo,Re-eq.%,"
           "time(days),TimeStep(sec),DistanceStep(microns),Lg(D),Name";
}

ProfileFiles::ProfileFiles(std::string base, RunReporter& reporter, OutputSink& sink)
    : base_(std::move(base)), reporter_(reporter), sink_(sink) {}

std::filesystem::path lastResultPath(const std::filesystem::path& folder) {
    return folder / std::string(kLastResultFile);
}

std::filesystem::path ProfileFiles::lastResultPath() const {
    return varnodel::lastResultPath(std::filesystem::path(base_).parent_path());
}

void ProfileFiles::runParameters(const ProfileRunInfo& info) {
    ReportFile r(base_ + "_calc_param.csv", reporter_, sink_);
    const RunSettings& s = *info.settings;
    const TParameters& p = s.parameters;
    const TMeltInclusionSettings& mi = p.meltInclusions;
    r.line("");
    r.line("****************** New calculation ********************");
    r.line(info.coolingRate
               ? "Modelling diffusion profiles around MI in olivine with a given colling rate"
               : "Modelling diffusion profiles around MI in olivine. Instant cooling");
    // The olivine, its corrections, the oxidation state, the minor elements and the warning on
    // H2O are told as the Fe-loss reconstruction tells them.
    std::vector<std::string> lines;
    if (info.olivine != nullptr && info.registry != nullptr)
        lines = ironLossParameterLines(s, *info.registry, *info.olivine, info.meltHasH2O,
                                       info.closedSystemUndefined);
    const auto from = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.rfind("The model used for ", 0) == 0;
    });
    auto warning = std::find_if(from, lines.end(), [](const std::string& l) {
        return l.rfind("Choice for minor elements", 0) == 0;
    });
    if (warning != lines.end()) ++warning;
    for (auto it = from; it != warning; ++it)
        r.line(*it);
    r.line(std::string("Melt density is calculated following the model of ") +
           (p.densityModel == DensityModel::NelsonCarmichael1979 ? "Nelson & Carmichael 1979"
                                                                 : "Lange & Carmichael 1987"));
    r.line("Cooling interval: " + fixedText(mi.coolingInterval, 15, 2) + " oC");
    if (info.coolingRate) {
        r.line("Cooling rate: " + fixedText(mi.coolingRate, 15, 2) + " oC/day");
    } else {
        r.line("Extent of re-equilibration: " + fixedText(mi.finalExtent, 15, 2) + " %");
    }
    r.line("Inclusion radius: " + fixedText(mi.inclusionRadius, 15, 2) + " micron");
    if (mi.simulateReheating)
        r.line("Modelling reheating experiment to: " + fixedText(mi.reheatingTemperature, 15, 1) +
               " oC");
    // (Without the empty line that ends the reconstruction's file.)
    for (auto it = warning; it != lines.end() && it + 1 != lines.end(); ++it)
        r.line(*it);
}

void ProfileFiles::results(const ProfileResult& res) {
    const std::string file = base_ + ".csv";
    sink_.createFile(file);
    sink_.appendLine(file, profileResultHeader());
    const std::size_t rows = std::max(res.rimSteps + 1, res.start.size());
    const std::size_t melts = res.reheatedMelt.present ? 5 : 4;
    for (std::size_t i = 0; i < std::max(rows, melts); ++i) {
        std::string row;
        row += profileField(res.rimNodes.x, i) + profileField(res.rimNodes.c, i);
        row += profileField(res.rimGrid.x, i) + profileField(res.rimGrid.c, i);
        row +=
            profileField(res.start.x, i) + profileField(res.start.c, i) + profileField(res.end, i);
        row += profileField(res.reheated.x, i) + profileField(res.reheated.c, i);
        const ProfileMelt* m = nullptr;
        switch (i) {
            case 0:
                m = &res.trapped;
                break;
            case 1:
                m = &res.atEnd;
                break;
            case 2:
                m = &res.full;
                break;
            case 3:
                m = &res.chosen;
                break;
            case 4:
                m = &res.reheatedMelt;
                break;
            default:
                break;
        }
        if (m != nullptr && m->present) {
            row += meltFields(*m);
            if (i == 0) {
                row += "," + fixedField(res.totalDays, 12, 5) + "," + fixedField(res.dt, 7, 3) +
                       "," + fixedField(res.dr, 7, 3) + "," + fixedField(res.log10D, 5, 2) + "," +
                       res.sample;
            } else if (i == 1) {
                row += "0";
            } else if (i == 2) {
                row += "100";
            } else if (i == 3) {
                row += fixedField(m->extent, 5, 2);
            }
        }
        sink_.appendLine(file, row);
    }

    // The profile at the end with the melt at the chosen extent, for the next run to start from.
    const std::filesystem::path last = lastResultPath();
    sink_.createFile(last);
    bool first = true;
    for (std::size_t j = 0; j < res.start.size() && j < res.end.size(); ++j) {
        if (res.start.x[j] == 0.0) continue;
        std::string line = fixedField(res.start.x[j], 8, 4) + " " + fixedField(res.end[j], 8, 4);
        if (first) {
            line += " ";
            for (double v : res.chosen.melt.oxides)
                line += " " + fixedField(v, 6, 3);
            line += " " + res.sample;
            first = false;
        }
        sink_.appendLine(last, line);
    }
}

void ProfileFiles::compositionRow(const ProfileMelt& m, const std::string& sample, bool first) {
    const std::string file = base_ + "_COMP.csv";
    if (first) {
        sink_.createFile(file);
        sink_.appendLine(file,
                         "SiO2,TiO2,Al2O3,Fe2O3,FeO,MnO,MgO,CaO,Na2O,K2O,P2O5,Cr2O3,H2O,T(oC),Fo,"
                         "Re-eq.%,Time(days),Name");
    }
    sink_.appendLine(file, meltFields(m) + fixedField(m.extent, 5, 2) + "," +
                               fixedField(m.days, 15, 6) + "," + sample);
}

void ProfileFiles::stepProfiles(const std::vector<CoolingStepProfile>& steps) {
    const std::string file = base_ + "_PR.csv";
    sink_.createFile(file);
    std::string header;
    std::size_t rows = 0;
    for (std::size_t k = 1; k <= steps.size(); ++k) {
        header += "Profile_X_" + std::to_string(k) + "," + "Profile_FeO_" + std::to_string(k) + ",";
        rows = std::max(rows, steps[k - 1].profile.size());
    }
    sink_.appendLine(file, header + "Profile_FeO_end");
    for (std::size_t i = 0; i < rows; ++i) {
        std::string row;
        for (const CoolingStepProfile& s : steps)
            row += profileField(s.profile.x, i) + profileField(s.profile.c, i);
        sink_.appendLine(file, row);
    }
}

LastResultStart readLastResultStart(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in)
        throw EInputError(
            "File LAST_RES.DAT with the results of the previous calculation does not exist. You "
            "must perfrom calculations once at least to use this option.");
    const std::string bad =
        "Cannot retrieve the results of the previous calculation from file LAST_RES.DAT. "
        "Contact authors if this problem persists.";
    std::string line;
    if (!std::getline(in, line)) throw EInputError(bad);
    std::istringstream row(line);
    row.imbue(std::locale::classic());
    LastResultStart start;
    double skipped = 0.0;
    if (!(row >> start.radius >> skipped) || !std::isfinite(start.radius) || start.radius <= 0.0)
        throw EInputError(bad);
    for (double& v : start.melt.oxides)
        if (!(row >> v) || !std::isfinite(v) || v < 0.0) throw EInputError(bad);
    row.get();
    std::getline(row, start.melt.name);
    if (!start.melt.name.empty() && start.melt.name.back() == '\r') start.melt.name.pop_back();
    return start;
}

Profile readLastResultProfile(const std::filesystem::path& file) {
    std::ifstream in(file);
    Profile p;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream row(line);
        row.imbue(std::locale::classic());
        double x = 0.0, c = 0.0;
        if (!(row >> x >> c) || !std::isfinite(x) || !std::isfinite(c)) break;
        if (p.size() >= kMaxProfilePoints || (p.size() > 0 && !(x > p.x.back()))) break;
        p.x.push_back(x);
        p.c.push_back(c);
    }
    return p;
}

}  // namespace varnodel
