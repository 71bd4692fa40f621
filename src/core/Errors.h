// The error kinds with which a calculation, a model or an input ends.
#pragma once

#include <stdexcept>
#include <string>

namespace varnodel {

class EVarnodelError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A calculation cannot go on; the reason is in the run's error text.
class FatalError : public EVarnodelError {
  public:
    using EVarnodelError::EVarnodelError;
};

// A mineral model cannot give a liquidus temperature (or composition); the mineral leaves the run.
class EModelError_GetT : public EVarnodelError {
  public:
    using EVarnodelError::EVarnodelError;
};

// The last crystallising mineral's model failed.
class ENoMineralsLeft : public EVarnodelError {
  public:
    using EVarnodelError::EVarnodelError;
};

// The user interrupted a batch.
class ETTerminate : public EVarnodelError {
  public:
    ETTerminate() : EVarnodelError("terminating thread") {}
};

// The data file does not suit the Fe-loss reconstruction.
class EWrongFeLossFile : public EVarnodelError {
  public:
    EWrongFeLossFile() : EVarnodelError("terminating thread") {}
};

// A diffusion-profile run reached its limit of time steps or rim steps.
class ETimeSteps : public EVarnodelError {
  public:
    using EVarnodelError::EVarnodelError;
};

class ERimSteps : public EVarnodelError {
  public:
    using EVarnodelError::EVarnodelError;
};

// A value about to be used or written is NaN or infinite (the platform does not trap these).
class EFloatingPointError : public EVarnodelError {
  public:
    using EVarnodelError::EVarnodelError;
};

// Bad input from a file or the command line: names the source and where in it.
class EInputError : public EVarnodelError {
  public:
    using EVarnodelError::EVarnodelError;
};

}  // namespace varnodel
