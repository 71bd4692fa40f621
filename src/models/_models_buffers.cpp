#include "models/_models_buffers.h"

namespace varnodel {

namespace {

struct BufferRow {
    const char* displayName;  // the key of the buffer table
    const char* shortName;    // three characters, not padded to eight
    double a;                 // ln fO2 = a / T + b
    double b;
    bool isDefault;
};

// In registration order.
// clang-format off
constexpr BufferRow kBuffers[] = {
    //  display    short     A          B       default
    {"Ni-NiO", "NNO", -57403.5, 21.55, false},
    {"QFM",    "QFM", -56280.0, 19.09, true},
    {"WM",     "WM ", -85083.0, 37.04, false},
    {"Fe-W",   "FeW", -61790.0, 14.9,  false},
    {"MH",     "MH ", -54912.0, 31.03, false},
    {"Co-CoO", "CC ", -57726.0, 18.27, false},
    {"Fe3=0",  "Fe3", -90000.0, -15.0, false},
    {"QFFe",   "QFF", -63362.5, 14.73, false},
};
// clang-format on

enum BufferRowIndex : std::size_t { kNNO = 0, kQFM, kWM, kFeW, kMH, kCCO, kFe3, kQFFe };

void apply(TModel& model, const BufferRow& row) {
    model.displayName = row.displayName;
    model.shortName = row.shortName;
    model.bufferA = row.a;
    model.bufferB = row.b;
    model.isDefault = row.isDefault;
}

}  // namespace

TModelBuffer_NNO::TModelBuffer_NNO() {
    apply(*this, kBuffers[kNNO]);
}
TModelBuffer_QFM::TModelBuffer_QFM() {
    apply(*this, kBuffers[kQFM]);
}
TModelBuffer_WM::TModelBuffer_WM() {
    apply(*this, kBuffers[kWM]);
}
TModelBuffer_FeW::TModelBuffer_FeW() {
    apply(*this, kBuffers[kFeW]);
}
TModelBuffer_MH::TModelBuffer_MH() {
    apply(*this, kBuffers[kMH]);
}
TModelBuffer_CCO::TModelBuffer_CCO() {
    apply(*this, kBuffers[kCCO]);
}
TModelBuffer_Fe3::TModelBuffer_Fe3() {
    apply(*this, kBuffers[kFe3]);
}
TModelBuffer_QFFe::TModelBuffer_QFFe() {
    apply(*this, kBuffers[kQFFe]);
}

void registerBuffers(THash& table) {
    table.addModel<TModelBuffer_NNO>();
    table.addModel<TModelBuffer_QFM>();
    table.addModel<TModelBuffer_WM>();
    table.addModel<TModelBuffer_FeW>();
    table.addModel<TModelBuffer_MH>();
    table.addModel<TModelBuffer_CCO>();
    table.addModel<TModelBuffer_Fe3>();
    table.addModel<TModelBuffer_QFFe>();
}

}  // namespace varnodel
