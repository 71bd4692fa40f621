#include "ModelListing.h"

#include <iomanip>
#include <sstream>
#include <string>

#include "core/SettingsRules.h"

namespace varnodel::cli {

namespace {

constexpr int kNameWidth = 30;

void printHeader(std::ostream& out, const std::string& title) {
    out << title << '\n'
        << "  " << std::left << std::setw(kNameWidth) << "Model" << std::setw(13) << "Short name"
        << "P  W  Tr  Default\n";
}

void printModel(std::ostream& out, const TModel& model) {
    const auto flag = [](bool on) { return on ? "Y  " : "   "; };
    std::ostringstream row;
    row << "  " << std::left << std::setw(kNameWidth) << model.displayName << std::setw(13)
        << ('"' + model.shortName + '"') << flag(model.usesPressure) << flag(model.usesWater)
        << (model.hasTraces ? "Y   " : "    ") << (model.isDefault ? "default" : "")
        << (model.unavailable.empty() ? "" : "  (not available)");
    std::string text = row.str();
    text.erase(text.find_last_not_of(' ') + 1);
    out << text << '\n';
}

void printSet(std::ostream& out, const std::string& title, const TSetOfModels& set) {
    printHeader(out, title);
    if (set.models.empty()) out << "  (no models registered)\n";
    for (const auto& model : set.models)
        printModel(out, *model);
    out << '\n';
}

// The models that are not chosen per mineral: the key that chooses each, and its default.
void printNamed(std::ostream& out, const std::string& title, const std::string& key,
                const std::string_view* names, std::size_t count) {
    out << title << " (" << key << ")\n";
    for (std::size_t i = 0; i < count; ++i)
        out << "  " << names[i] << (i == 0 ? "  (default)" : "") << '\n';
    out << '\n';
}

}  // namespace

void printModels(std::ostream& out, const ModelRegistry& registry) {
    out << "Columns: P = the model accounts for pressure, W = for H2O in the melt (no H2O "
           "correction is needed), Tr = it computes trace elements itself (\"Model\" in "
           "minerals.<mineral>.traces); \"default\" = the model a reset chooses or marks "
           "selected. The short name (blanks included) also names the model in a settings "
           "file.\n\n";
    for (const auto& set : registry.mineralSets())
        printSet(out, set->displayName + " (" + set->abbreviation + ")", *set);
    printSet(out, "Oxidation state of the melt", registry.oxidationModels());
    printHeader(out, "Oxygen buffers");
    const THash& buffers = registry.bufferTable();
    if (buffers.count() == 0) out << "  (no models registered)\n";
    for (std::size_t i = 0; i < buffers.count(); ++i)
        printModel(out, *buffers.getItemByIndex(i));
    out << '\n';
    printSet(out, "Trace-element partitioning", registry.traceModels());
    const TModel& moore = registry.h2oSolubilityModel();
    out << "H2O of the melt\n"
        << "  " << moore.displayName << "  (H2O solubility, degassing and run.h2o_saturated)\n"
        << "  Quellmark, 2001  (the H2O of the olivine-plagioclase cotectic, run.cotectic)\n\n";
    printNamed(out, "Melt density", "run.density", kDensityNames, std::size(kDensityNames));
    printNamed(out, "Melt viscosity", "run.viscosity", kViscosityNames, std::size(kViscosityNames));
}

}  // namespace varnodel::cli
