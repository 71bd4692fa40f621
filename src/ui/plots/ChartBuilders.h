// One builder per chart family. Each takes the tables that suit it and gives its panels.
#pragma once

#include "ui/plots/PlotData.h"

namespace varnodel::ui::plots {

using Tables = std::vector<const ResultTable*>;

// The melt's oxides, H2O and traces against MgO or SiO2 (any column against any other).
class HarkerChart {
  public:
    static bool suits(const ResultTable& table);
    static QList<PlotPanel> build(const Tables& tables, const PlotOptions& options);
};

// Liquidus temperature against the melt left, with the points where a mineral joins or leaves.
class TemperatureChart {
  public:
    static bool suits(const ResultTable& table);
    static QList<PlotPanel> build(const Tables& tables);
};

// Fo, An, Mg# and Cr# of each mineral against temperature.
class MineralChart {
  public:
    static bool suits(const ResultTable& table);
    static QList<PlotPanel> build(const Tables& tables);
};

// The cumulate's (or the added crystals') proportions against the melt left.
class CumulateChart {
  public:
    static bool suits(const ResultTable& table);
    static QList<PlotPanel> build(const Tables& tables);
};

// Every model's liquidus temperature, grouped by mineral, one series per analysis.
class LiquidusChart {
  public:
    static bool suits(const ResultTable& table);
    static QList<PlotPanel> build(const Tables& tables);
};

// The stages of each inclusion in FeO* against MgO, with its host's olivine-control line.
class FeLossChart {
  public:
    static bool suits(const ResultTable& table);
    static QList<PlotPanel> build(const Tables& tables);
};

// FeO against distance from the inclusion wall.
class ProfileChart {
  public:
    static bool suits(const ResultTable& table);
    static QList<PlotPanel> build(const Tables& tables);
};

}  // namespace varnodel::ui::plots
