// The batch's status rows and summary, and the SHA-256 of the run record.
#include <gtest/gtest.h>

#include "io/Sha256.h"
#include "io/StatusFile.h"
#include "ui/BatchStatus.h"

namespace varnodel {
namespace {

TEST(StatusFile, FieldsAreQuotedByTheCsvRule) {
    const std::pair<const char*, const char*> cases[] = {
        {"VG-2", "VG-2"},           {"", ""},
        {"a, b", "\"a, b\""},       {"say \"x\"", "\"say \"\"x\"\"\""},
        {" padded", "\" padded\""}, {"two\nlines", "\"two\nlines\""},
    };
    for (const auto& [text, field] : cases)
        EXPECT_EQ(csvQuoted(text), field) << text;
}

TEST(StatusFile, RowNamesOutcomeReasonMineralsAndSteps) {
    AnalysisStatus status{5, "StHs6/80-G, andesite", {}};
    status.outcome.kind = OutcomeKind::NoMineralsLeft;
    status.outcome.reason = "No minerals left\nCalculation aborted.";
    status.outcome.mineralsLeft = {{"olivine", "Ford et al., 1983: no T"}, {"spinel", "x"}};
    status.outcome.printedSteps = 3;
    EXPECT_EQ(statusRow(status),
              "5,\"StHs6/80-G, andesite\",ended: no minerals left,No minerals left Calculation "
              "aborted.,\"olivine: Ford et al., 1983: no T; spinel: x\",3");
}

TEST(StatusFile, SummaryCountsStopsAsCompletedAndNamesTheRest) {
    const auto of = [](OutcomeKind kind) {
        return AnalysisStatus{1, "s", [kind] {
                                  AnalysisOutcome o;
                                  o.kind = kind;
                                  return o;
                              }()};
    };
    EXPECT_EQ(batchSummary({of(OutcomeKind::Completed), of(OutcomeKind::StopCondition)}),
              "2 completed");
    EXPECT_EQ(batchSummary({of(OutcomeKind::StopCondition), of(OutcomeKind::ModelFailure),
                            of(OutcomeKind::Error), of(OutcomeKind::Rejected)}),
              "1 completed, 2 ended early, 1 row rejected");
    EXPECT_EQ(batchSummary({of(OutcomeKind::Rejected), of(OutcomeKind::Rejected),
                            of(OutcomeKind::Interrupted)}),
              "0 completed, 2 rows rejected, 1 interrupted");
}

TEST(BatchStatus, RowsInLineOrderWithRejectedAndNotRunAnalyses) {
    TAssemblage a, b, c;
    a.name = "A", a.line = 2;
    b.name = "B", b.line = 4;
    c.name = "C", c.line = 5;
    AnalysisStatus ranA{2, "A", RunOutcome::Completed};
    const auto rows = batchStatuses({a, b, c}, {ranA}, {{3, "bad", "too short"}}, "not run");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].name, "A");
    EXPECT_EQ(rows[1].outcome.kind, OutcomeKind::Rejected);
    EXPECT_EQ(rows[1].outcome.reason, "too short");
    EXPECT_EQ(rows[2].name, "B");
    EXPECT_EQ(rows[2].outcome.kind, OutcomeKind::Interrupted);
    EXPECT_EQ(rows[3].outcome.reason, "not run");
}

TEST(BatchStatus, ProgressGivesAnEstimateOnceAnAnalysisEnded) {
    EXPECT_EQ(progressText(0, 500, 0.2, "VG-2"), "[0/500] VG-2 - 0:00 elapsed");
    EXPECT_EQ(progressText(10, 500, 34.0, "KL2-G"),
              "[10/500] KL2-G - 0:34 elapsed, about 27:46 left");
    EXPECT_EQ(progressText(1, 2, 3725.0, "x"), "[1/2] x - 1:02:05 elapsed, about 1:02:05 left");
}

// FIPS 180-4 examples, one and two blocks, and a message whose padding needs a block of its own.
TEST(Sha256, PublishedTestVectors) {
    EXPECT_EQ(sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(sha256Hex(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
}  // namespace varnodel
