#include "engines/ScaledSettings.h"

#include "core/Constants.h"

namespace varnodel {

ScaledSettings scaleSettings(const RunSettings& entered) {
    ScaledSettings scaled{entered};
    TParameters& p = scaled.values.parameters;
    p.equationA *= 100.0;
    p.calculationStep /= 100.0;
    for (std::size_t k : {Stop::Crystallisation, Stop::Fo, Stop::An, Stop::Clinopyroxene,
                          Stop::Orthopyroxene, Stop::Pigeonite})
        p.stop.values[k] /= 100.0;
    p.stop.values[Stop::Temperature] += kCelsiusOffset;
    for (double* interval : {&p.outputCrystallisation, &p.outputFo, &p.outputAn,
                             &p.outputClinopyroxene, &p.outputOrthopyroxene, &p.outputPigeonite})
        *interval /= 100.0;
    return scaled;
}

ScaledRunSettings::ScaledRunSettings(RunSnapshot& snapshot, const RunSettings& entered)
    : snapshot_(snapshot), entered_(snapshot.settings()) {
    snapshot_.settings() = scaleSettings(entered).values;
}

ScaledRunSettings::~ScaledRunSettings() {
    snapshot_.settings() = entered_;
}

}  // namespace varnodel
