#include "ui/plots/PlotData.h"

#include "core/Errors.h"
#include "ui/plots/ChartBuilders.h"

namespace varnodel::ui::plots {

const QList<ChartFamilyInfo>& chartFamilies() {
    static const QList<ChartFamilyInfo> families{
        {ChartFamily::Harker, "harker", "Harker diagrams"},
        {ChartFamily::Temperature, "temperature", "Temperature vs melt fraction"},
        {ChartFamily::Minerals, "minerals", "Mineral compositions vs temperature"},
        {ChartFamily::Cumulate, "cumulate", "Cumulate proportions"},
        {ChartFamily::Liquidus, "liquidus", "Liquidus temperatures by mineral"},
        {ChartFamily::FeLoss, "feloss", "Fe-loss stages"},
        {ChartFamily::Profiles, "profiles", "Diffusion profiles"},
    };
    return families;
}

const ChartFamilyInfo& familyInfo(ChartFamily family) {
    for (const ChartFamilyInfo& info : chartFamilies())
        if (info.family == family) return info;
    return chartFamilies().front();
}

QList<ChartFamily> familiesFor(const ResultTable& table) {
    switch (table.kind) {
        case ResultKind::Fractional:
        case ResultKind::Reverse:
            return {ChartFamily::Harker, ChartFamily::Temperature, ChartFamily::Minerals,
                    ChartFamily::Cumulate};
        case ResultKind::MLA:
            return {ChartFamily::Liquidus, ChartFamily::Harker};
        case ResultKind::IronLoss:
            return {ChartFamily::FeLoss, ChartFamily::Harker};
        case ResultKind::Mineral:
            return {ChartFamily::Minerals, ChartFamily::Harker};
        case ResultKind::Profile:
        case ResultKind::CoolingProfiles:
            return {ChartFamily::Profiles};
        case ResultKind::CoolingMelts:
            return {ChartFamily::Harker};
    }
    return {ChartFamily::Harker};
}

QList<PlotPanel> buildPanels(ChartFamily family, const std::vector<const ResultTable*>& tables,
                             const PlotOptions& options) {
    switch (family) {
        case ChartFamily::Harker:
            return HarkerChart::build(tables, options);
        case ChartFamily::Temperature:
            return TemperatureChart::build(tables);
        case ChartFamily::Minerals:
            return MineralChart::build(tables);
        case ChartFamily::Cumulate:
            return CumulateChart::build(tables);
        case ChartFamily::Liquidus:
            return LiquidusChart::build(tables);
        case ChartFamily::FeLoss:
            return FeLossChart::build(tables);
        case ChartFamily::Profiles:
            return ProfileChart::build(tables);
    }
    throw EInputError("Unknown chart");
}

}  // namespace varnodel::ui::plots
