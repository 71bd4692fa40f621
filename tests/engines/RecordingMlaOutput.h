// Records what a liquidus-association run writes: the report lines (with a marker where each
// sample starts), the mineral rows and the result rows.
#pragma once

#include <string>
#include <vector>

#include "engines/MLA.h"

namespace varnodel::test {

class RecordingMlaOutput : public MlaOutput {
  public:
    void startingComposition(const std::string& sample, const TAnalysis&) override {
        lines.push_back("<start " + sample + ">");
    }
    void reportLine(const std::string& line) override { lines.push_back(line); }
    void mineralRow(const MlaMineralRow& row) override { mineralRows.push_back(row); }
    void resultRow(const MlaResultRow& row) override { rows.push_back(row); }

    std::vector<std::string> lines;
    std::vector<MlaMineralRow> mineralRows;
    std::vector<MlaResultRow> rows;
};

}  // namespace varnodel::test
