// FeO diffusion profiles around a melt inclusion that cools at a constant rate: the cooling
// interval is cut into steps of 10 degrees; in each the melt grows its share of the olivine rim
// and the profile then diffuses for the time that cooling through the step takes.
#pragma once

#include "engines/ProfileRun.h"

namespace varnodel {

class TCRThread : public InclusionProfileRun {
  public:
    using InclusionProfileRun::InclusionProfileRun;

  private:
    void stages() override;
    bool coolingRate() const override { return true; }
    std::string timeStepsMessage() const override;
};

}  // namespace varnodel
