// FeO diffusion profiles around a melt inclusion after instant cooling: the inclusion is trapped
// at its olivine liquidus, grows a rim of olivine while it cools through the cooling interval,
// and then, held at the final temperature, exchanges Fe and Mg with its host by diffusion until
// the chosen extent of re-equilibration is reached.
#pragma once

#include "engines/ProfileRun.h"

namespace varnodel {

class TInstThread : public InclusionProfileRun {
  public:
    using InclusionProfileRun::InclusionProfileRun;

  private:
    void stages() override;
    bool coolingRate() const override { return false; }
    std::string timeStepsMessage() const override;
};

}  // namespace varnodel
