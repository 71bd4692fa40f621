// The arithmetic of the melt's oxidation state for whichever oxidation model is chosen: Fe2+/Fe3+
// of a melt at a buffer-defined or given fO2, the log fO2 a melt with known FeO and Fe2O3 records,
// and the split of the melt's iron for every oxidation mode of a run. Temperatures in kelvin,
// melts in cation moles. One object per run; it keeps its last values between calls.
#pragma once

#include <string>
#include <string_view>

#include "core/Assemblage.h"
#include "core/Model.h"
#include "core/RunContext.h"
#include "models/_models_oxydations.h"

namespace varnodel {

class TOxydationState {
  public:
    // Borisov & Shapkin 1990, the model chosen at start-up, on the buffer QFM without shift.
    TOxydationState();

    // Takes the chosen model's coefficients.
    void selectModel(const TModelOxydation& model);
    // By short name ("Sack80  ", "Kilinc83", "Kress88 ", "Boris90 "); throws EInputError naming
    // an unknown one.
    void selectModel(std::string_view shortName);

    // The composition sums of a melt (12 oxides, cation moles) with the chosen model's terms, or
    // with those of `model`.
    void setMelt(const Oxides& melt);
    void setMelt(const Oxides& melt, const TModelOxydation& model);

    // The buffer and the user's shift from it (log units) that fe2Fe3AtBuffer applies.
    void setBuffer(const TModel& buffer, double shift);

    // Model and buffer as the run settings name them (oxidation model short name, buffer key in
    // `buffers`, buffer shift); throws EInputError naming an unknown model or buffer.
    void configure(const TParameters& parameters, const THash& buffers);

    // Fe2+/Fe3+ (cation ratio) of the melt last given to setMelt, at the chosen buffer's fO2
    // shifted by setBuffer, or at a given log fO2.
    double fe2Fe3AtBuffer(double T) const;
    double fe2Fe3AtLogFO2(double logfO2, double T) const;

    // The log fO2 recorded by a melt whose Fe2O3 and FeO (cation moles) are both above zero, with
    // the composition sums of the last setMelt. A melt without Fe2O3 has no finite log fO2.
    double logFO2FromMelt(const Oxides& melt, double T) const;

    // Sets the FeO and Fe2O3 of the assemblage's melt at T for the run's oxidation mode
    // (run.settings.parameters): the olivine relation Fe2/Fe3 = A Fo + B (A already scaled to
    // Fo as a fraction), with Fo from `olivine`, the mineral model of the run's olivine slot; a
    // fixed ratio; a system closed for oxygen; or the buffer set by setBuffer. The total iron
    // (FeO + Fe2O3 in cation moles) is kept. A run that cannot go on leaves its reason in
    // run.errorText and throws FatalError.
    void setMeltIronRatio(TAssemblage& assemblage, RunContext& run, double T,
                          TModel* olivine = nullptr);

    // The chosen model's coefficients (a, b, c of the relation).
    double coefA = 0.0;
    double coefB = 0.0;
    double coefC = 0.0;
    // Composition sums of the current melt (sum2, sum3 only for Borisov & Shapkin).
    double sum1 = 0.0;
    double sum2 = 0.0;
    double sum3 = 0.0;
    // ln fO2 = bufferSlope / T + bufferIntercept: A of the chosen buffer, and its B plus the
    // shift in natural-log units.
    double bufferSlope = 0.0;
    double bufferIntercept = 0.0;

  private:
    double ironRatio(TAssemblage& assemblage, RunContext& run, double T, TModel* olivine);

    const OxidationCoefficients* model_ = nullptr;
};

}  // namespace varnodel
