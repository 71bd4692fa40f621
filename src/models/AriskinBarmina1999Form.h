// The Fe-Ti oxide form of Ariskin & Barmina 1999 (Contrib. Mineral. Petrol. 134), shared by their
// magnetite and ilmenite models: each of five oxide cations partitions between mineral and melt
// with ln D = a/T + b log fO2 + c + d X_Na2O + e X_K2O + f X_P2O5 (T in kelvin, X cation
// fractions of the melt), and the mineral saturates where the partitioned cations fill its
// formula: 1 - sum D_row X_row = 0.
#pragma once

#include <array>

#include "core/Model.h"

namespace varnodel {

// The melt's log fO2 at T (K) as the oxide models read it: from its FeO and Fe2O3 (cation moles)
// with the run's oxidation model, or -30 when the melt has no Fe2O3.
double oxideMeltLogFO2(const RunContext& run, const Oxides& melt, double T);

struct AriskinBarminaRow {
    double a, b, c, d, e, f;
};

// Rows in the order: ferric iron, ferrous iron (both on the melt's total iron X_FeO + X_Fe2O3),
// Al, Mg, Ti. The fO2 term of the first row is the strong one: the mineral's Fe3+ grows with fO2.
using AriskinBarminaRows = std::array<AriskinBarminaRow, 5>;

class AriskinBarmina1999Form : public TModel {
  public:
    // `mineral` names the phase written back; `keepsLgfO2` stores the melt's log fO2 of every
    // evaluation as the run value (the ilmenite model does).
    AriskinBarmina1999Form(const AriskinBarminaRows& rows, Phase mineral, bool keepsLgfO2)
        : rows_(&rows), mineral_(mineral), keepsLgfO2_(keepsLgfO2) {}

    void Get_Temperature(const TAssemblage& assemblage, double& T) override;
    // The oxide written back from the five partitioned cations (Fe3+ as Fe2O3, Fe2+ as FeO, Al,
    // Mg, Ti) scaled to one; returns Mg# = Mg / (Mg + Fe2+).
    void Get_Mineral_Composition(TAssemblage& assemblage, double& value, double T) override;

  private:
    struct Partition {
        std::array<double, 5> cations;  // D_row X_row
        double sum;
    };
    Partition partition(const TAssemblage& assemblage, double T);

    const AriskinBarminaRows* rows_;  // static tables: copies share them
    Phase mineral_;
    bool keepsLgfO2_;
};

}  // namespace varnodel
