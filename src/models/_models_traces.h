// Trace-element partitioning models: each computes the partition coefficient D of a few elements
// between one mineral and the melt and sets mineral value := melt value x D.
//
// Contract of get_Trace (as for every model): the phases of the assemblage are in cation moles
// (the molar form the engines keep), T in kelvin. A model changes a mineral's trace value only
// for the elements that the run assigns to it: the mineral's trace-element choice for that
// element equals the model's short name exactly. "Kd" (the constant coefficient) and "Model"
// (the mineral model's own partitioning) are handled by the engines.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>

#include "core/Model.h"

namespace varnodel {

// What every trace model shares: its flags and the write-back of one element.
class TTraceModel : public TModel {
  protected:
    TTraceModel(std::string display, std::string shortName8, Phase mineral,
                std::initializer_list<std::size_t> elements);

    // Whether the run assigns trace `element` (1-37) of `mineral` to this model.
    bool assignedHere(Phase mineral, std::size_t element) const;

    // When the melt and the mineral are both in the assemblage: true. Otherwise leaves
    // `missingText` in `message` and returns false.
    bool phasesPresent(const TAssemblage& assemblage, Phase mineral, const char* missingText);

    // mineral value := melt value x d. A coefficient that is not finite (a melt or mineral
    // without the components it is formed from, T not positive) is a model error.
    void partition(TAssemblage& assemblage, Phase mineral, std::size_t element, double d) const;
};

// Blundy & Wood 1991, Geochim. Cosmochim. Acta 55, 193-209: Sr and Ba in plagioclase,
// RT ln D = a + b X_An (J/mol).
class TModelTrace_Blundy_Wood1991 : public ModelClone<TModelTrace_Blundy_Wood1991, TTraceModel> {
  public:
    TModelTrace_Blundy_Wood1991();
    void get_Trace(TAssemblage& assemblage, double T) override;
};

// Kinzler, Grove & Recca 1990, Geochim. Cosmochim. Acta 54, 1255-1265: Ni in olivine.
class TModelTrace_Kinzler1990 : public ModelClone<TModelTrace_Kinzler1990, TTraceModel> {
  public:
    TModelTrace_Kinzler1990();
    void get_Trace(TAssemblage& assemblage, double T) override;
};

// Beattie, Ford & Russell 1991, Contrib. Mineral. Petrol. 109, 212-224: Ni and Co in olivine
// from the olivine/melt partition coefficient of Mg.
class TModelTrace_Beattie1991 : public ModelClone<TModelTrace_Beattie1991, TTraceModel> {
  public:
    TModelTrace_Beattie1991();
    void get_Trace(TAssemblage& assemblage, double T) override;
};

// Fills the set of trace-element models in registration order.
void registerTraceModels(TSetOfModels& set);

}  // namespace varnodel
