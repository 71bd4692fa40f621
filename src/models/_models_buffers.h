// Oxygen buffers: ln fO2 = A / T + B (T in kelvin, fO2 in bar), no pressure term. Each buffer is
// a model whose only content is A and B (bufferA, bufferB); the table is keyed by display name.
#pragma once

#include "core/Model.h"

namespace varnodel {

// Nickel-nickel oxide.
class TModelBuffer_NNO : public ModelClone<TModelBuffer_NNO> {
  public:
    TModelBuffer_NNO();
};

// Quartz-fayalite-magnetite.
class TModelBuffer_QFM : public ModelClone<TModelBuffer_QFM> {
  public:
    TModelBuffer_QFM();
};

// Wuestite-magnetite.
class TModelBuffer_WM : public ModelClone<TModelBuffer_WM> {
  public:
    TModelBuffer_WM();
};

// Iron-wuestite.
class TModelBuffer_FeW : public ModelClone<TModelBuffer_FeW> {
  public:
    TModelBuffer_FeW();
};

// Magnetite-hematite.
class TModelBuffer_MH : public ModelClone<TModelBuffer_MH> {
  public:
    TModelBuffer_MH();
};

// Cobalt-cobalt oxide.
class TModelBuffer_CCO : public ModelClone<TModelBuffer_CCO> {
  public:
    TModelBuffer_CCO();
};

// Not a mineral buffer: an fO2 so low that the melt keeps no ferric iron ("Fe3=0").
class TModelBuffer_Fe3 : public ModelClone<TModelBuffer_Fe3> {
  public:
    TModelBuffer_Fe3();
};

// Quartz-fayalite-iron.
class TModelBuffer_QFFe : public ModelClone<TModelBuffer_QFFe> {
  public:
    TModelBuffer_QFFe();
};

// Fills the buffer table, keyed by display name, in registration order.
void registerBuffers(THash& table);

}  // namespace varnodel
