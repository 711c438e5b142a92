#include "cli/experiment_command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/control_settings.h"
#include "cli/experiment_files.h"
#include "cli/merge_command.h"
#include "experiment_support.h"

namespace cli {
namespace {

ExperimentOptions Options(const std::string& experiment, std::vector<std::string> fields, const std::string& out) {
  ExperimentOptions o;
  o.Experiment = experiment;
  o.Settings = test_support::SmallWorldSettings();
  o.Fields = std::move(fields);
  o.Seed = 42;
  o.Threads = 1;
  o.Out = out;
  o.MaxRoundSteps = 20000;
  return o;
}

// 3 values x 3 calculations of 10 steps.
ExperimentOptions Parameterspace(const std::string& out) {
  return Options("parameterspace", {"CB_param=0", "E_toSteps=10"}, out);
}

// 3 values x 2 calculations of 12 steps, one steps.csv row per step.
ExperimentOptions Growth(const std::string& out) {
  return Options("growth", {"E_valFrom=20", "E_valTo=40", "E_toSteps=12", "E_calcVals=2"}, out);
}

// 3 passes (move distance 3, 4, 5) of 2 rounds from tolerance 25 to 27.
ExperimentOptions Stability3d(const std::string& out) {
  return Options("stability",
                 {"E_valFrom=25", "E_valTo=27", "E_calcRds=2", "Cb_acti3d=1", "CB_param=3", "E_thirdFrom=3",
                  "E_thirdTo=5"},
                 out);
}

TEST(ExperimentCommand, TheThreadCountChangesNoByteOfTheOutput) {
  test_support::Scratch scratch("threads");
  for (auto make : {Parameterspace, Stability3d}) {
    ExperimentOptions one = make(scratch / "one");
    ExperimentOptions three = make(scratch / "three");
    three.Threads = 3;
    ASSERT_EQ(test_support::Experiment(one).Status, 0);
    ASSERT_EQ(test_support::Experiment(three).Status, 0);
    const auto a = test_support::FolderContents(scratch / "one");
    EXPECT_EQ(a, test_support::FolderContents(scratch / "three")) << one.Experiment;
    EXPECT_EQ(test_support::Lines(test_support::ReadFile(scratch / "one/runs.csv")).size(),
              one.Experiment == "stability" ? 7u : 10u);
    std::filesystem::remove_all(scratch / "one");
    std::filesystem::remove_all(scratch / "three");
  }
}

TEST(ExperimentCommand, MergedShardsEqualASingleRunByteForByte) {
  test_support::Scratch scratch("shards");
  for (auto make : {Growth, Stability3d}) {
    const std::string name = make("").Experiment;
    ExperimentOptions single = make(scratch / (name + "-single"));
    single.Threads = 2;
    ASSERT_EQ(test_support::Experiment(single).Status, 0);
    std::vector<std::string> shards;
    for (int k = 0; k < 3; ++k) {
      ExperimentOptions shard = make(scratch / (name + "-shard" + std::to_string(k)));
      shard.Shard = std::to_string(k) + "/3";
      ASSERT_EQ(test_support::Experiment(shard).Status, 0);
      // A shard holds its own rows only and no summary: that needs them all.
      EXPECT_FALSE(std::filesystem::exists(*shard.Out + "/summary.json"));
      shards.insert(shards.begin(), *shard.Out);  // given in any order
    }
    const test_support::Outcome merged = test_support::MergeFolders(shards, scratch / (name + "-merged"));
    ASSERT_EQ(merged.Status, 0) << merged.Err;
    const auto files = test_support::FolderContents(*single.Out);
    EXPECT_EQ(files, test_support::FolderContents(scratch / (name + "-merged"))) << name;
    std::vector<std::string> names;
    for (const auto& [file, bytes] : files) names.push_back(file);
    if (name == "growth") {
      EXPECT_EQ(names, (std::vector<std::string>{"run.json", "runs.csv", "steps.csv", "summary.json"}));
    } else {
      EXPECT_EQ(names, (std::vector<std::string>{"rises.csv", "run.json", "runs.csv", "steps.csv", "summary.json",
                                                 "surface.xls"}));
    }
  }
}

TEST(ExperimentCommand, AStoppedRunResumesWithoutRecomputingFinishedUnits) {
  test_support::Scratch scratch("resume");
  ASSERT_EQ(test_support::Experiment(Parameterspace(scratch / "whole")).Status, 0);
  const std::vector<std::string> whole = test_support::Lines(test_support::ReadFile(scratch / "whole/runs.csv"));
  ASSERT_EQ(whole.size(), 10u);

  // Stopped before the first step: the folder knows the run, no unit is done.
  const test_support::Outcome stopped = test_support::Experiment(Parameterspace(scratch / "stopped"), 2);
  EXPECT_EQ(stopped.Status, 130);
  EXPECT_EQ(stopped.Err, "stopped: 0 of 9 calculations are done; run the same command with --resume to continue\n");
  EXPECT_FALSE(std::filesystem::exists(scratch / "stopped/runs.csv"));

  // As if calculations 0 and 4 had finished, with marks that a recomputation
  // would lose, and calculation 5 had been cut off while it was written.
  auto marked = [](std::string row) { return row.replace(row.rfind(',', row.rfind(',') - 1), std::string::npos, ",999,0.5"); };
  std::ofstream(scratch / "stopped/journal", std::ios::app) << "r " << marked(whole[1]) << "\ne 0\n"
                                                         << "r " << marked(whole[5]) << "\ne 4\n"
                                                         << "r " << whole[6] << "\n";
  ExperimentOptions resume = Parameterspace(scratch / "stopped");
  resume.Resume = true;
  resume.Seed.reset();  // the run's own seed is kept
  resume.Threads = 2;
  const test_support::Outcome resumed = test_support::Experiment(resume);
  ASSERT_EQ(resumed.Status, 0) << resumed.Err;

  const std::vector<std::string> rows = test_support::Lines(test_support::ReadFile(scratch / "stopped/runs.csv"));
  ASSERT_EQ(rows.size(), whole.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i], i == 1 || i == 5 ? marked(whole[i]) : whole[i]) << i;
  }
  EXPECT_FALSE(std::filesystem::exists(scratch / "stopped/journal"));
  EXPECT_TRUE(std::filesystem::exists(scratch / "stopped/summary.json"));

  const test_support::Outcome again = test_support::Experiment(resume);
  EXPECT_EQ(again.Status, 0);
  EXPECT_NE(again.Err.find("is complete; nothing to resume"), std::string::npos);
}

TEST(ExperimentCommand, SetUpsAmongTheSettingsAreRecordedAndRepeatedOnEveryWorld) {
  // After a set-up at cell size 17, 3000 agents are clamped to what 41 x 41
  // holds (1597); without it they are taken against the first, larger world.
  test_support::Scratch scratch("setups");
  ExperimentOptions o = Parameterspace(scratch / "run");
  o.Settings = {"Edit_cellSiz=17", kSetupText, "Edit_anzAg=3000", "cb_individTol=0"};
  ASSERT_EQ(test_support::Experiment(o).Status, 0);
  const auto manifest = nlohmann::json::parse(test_support::ReadFile(scratch / "run/run.json"));
  EXPECT_EQ(manifest["set"], nlohmann::json(o.Settings));

  // Resumed and merged runs read the sequence back from run.json.
  std::filesystem::remove(scratch / "run/runs.csv");
  std::filesystem::remove(scratch / "run/summary.json");
  ExperimentOptions resume = o;
  resume.Resume = true;
  ASSERT_EQ(test_support::Experiment(resume).Status, 0);
  ExperimentOptions without = o;
  without.Settings = {"Edit_cellSiz=17", "Edit_anzAg=3000", "cb_individTol=0"};
  without.Out = scratch / "without";
  ASSERT_EQ(test_support::Experiment(without).Status, 0);
  EXPECT_NE(test_support::ReadFile(scratch / "run/runs.csv"), test_support::ReadFile(scratch / "without/runs.csv"));
}

TEST(ExperimentCommand, ResumeRefusesAnotherRunsSettings) {
  test_support::Scratch scratch("resume-other");
  ASSERT_EQ(test_support::Experiment(Parameterspace(scratch / "run"), 2).Status, 130);
  ExperimentOptions other = Parameterspace(scratch / "run");
  other.Resume = true;
  other.Fields.push_back("E_calcVals=2");
  test_support::Outcome r = test_support::Experiment(other);
  EXPECT_EQ(r.Status, 2);
  EXPECT_NE(r.Err.find("holds a run of other settings"), std::string::npos) << r.Err;
  other = Parameterspace(scratch / "run");
  other.Resume = true;
  other.Seed = 7;
  r = test_support::Experiment(other);
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(r.Err, scratch / "run" + " holds a run with seed 42, not 7\n");
}

TEST(ExperimentCommand, AFolderThatAnotherRunWritesIsRefused) {
  test_support::Scratch scratch("busy");
  ASSERT_EQ(test_support::Experiment(Parameterspace(scratch / "run"), 2).Status, 130);
  const Journal held(scratch / "run/journal");  // as a run still going on holds it
  ExperimentOptions again = Parameterspace(scratch / "run");
  again.Resume = true;
  const test_support::Outcome r = test_support::Experiment(again);
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(r.Err, scratch / "run/journal" + " is being written by another run of this folder\n");
}

TEST(ExperimentCommand, ARoundThatDoesNotSettleInTimeStopsTheRunWithStatusOne) {
  test_support::Scratch scratch("unsettled");
  // The threshold rises only after six steps of equal counts: three never suffice.
  ExperimentOptions o = Stability3d(scratch / "run");
  o.MaxRoundSteps = 3;
  const test_support::Outcome r = test_support::Experiment(o);
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("round 1 did not settle at tolerance 25 within 3 steps (--max-round-steps)"),
            std::string::npos)
      << r.Err;
  EXPECT_TRUE(std::filesystem::exists(scratch / "run/journal"));
  EXPECT_FALSE(std::filesystem::exists(scratch / "run/runs.csv"));
}

TEST(ExperimentCommand, ARunWithoutSeedRecordsTheSeedThatRepeatsIt) {
  test_support::Scratch scratch("clock-seed");
  ExperimentOptions drawn = Parameterspace(scratch / "drawn");
  drawn.Seed.reset();
  ASSERT_EQ(test_support::Experiment(drawn).Status, 0);
  const auto summary = nlohmann::json::parse(test_support::ReadFile(scratch / "drawn/summary.json"));
  ExperimentOptions repeat = Parameterspace(scratch / "repeat");
  repeat.Seed = summary.at("seed").get<std::uint64_t>();
  ASSERT_EQ(test_support::Experiment(repeat).Status, 0);
  EXPECT_EQ(test_support::FolderContents(scratch / "drawn"), test_support::FolderContents(scratch / "repeat"));
}

TEST(ExperimentCommand, AGroupCountBeyondTheRangeStopsTheSweepThere) {
  test_support::Scratch scratch("groups");
  ExperimentOptions o = Options(
      "parameterspace", {"CB_param=0", "E_valFrom=999", "E_valTo=1001", "E_calcVals=2", "E_toSteps=1"}, scratch / "run");
  o.Settings = {"Edit_cellSiz=34", "Edit_anzAg=50"};
  // One worker: with more, the halt may abandon a calculation of 1000 still running.
  const test_support::Outcome r = test_support::Experiment(o);
  EXPECT_EQ(r.Status, 1);
  const std::string refusal = "(value 1001): the number of groups must be at most 1000";
  const auto first = r.Err.find(refusal);
  ASSERT_NE(first, std::string::npos) << r.Err;
  EXPECT_EQ(r.Err.find(refusal, first + 1), std::string::npos) << "reported more than once:\n" << r.Err;
  // The values below the limit are done and kept for --resume.
  EXPECT_EQ(ScanJournal(scratch / "run/journal").size(), 4u);
}

TEST(ExperimentCommand, ATrialShowsThePlanAndRunsTheFirstCalculationBriefly) {
  test_support::Scratch scratch("trial");
  ExperimentOptions o = Parameterspace(scratch / "run");
  o.Fields.push_back("E_valTo=2147483647");
  o.Trial = 2;
  test_support::Outcome r = test_support::Experiment(o);
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Err, "parameterspace: 6442450938 calculations planned\ncalculation 0 (value 2): stopped after 2 steps\n");
  EXPECT_FALSE(std::filesystem::exists(scratch / "run"));

  o = Stability3d(scratch / "run");
  o.Trial = 1000000;
  r = test_support::Experiment(o);
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Err.substr(0, 40), "stability: 6 rounds in 3 passes planned\n") << r.Err;
  EXPECT_NE(r.Err.find("pass 0 (value 3): complete after "), std::string::npos) << r.Err;
  EXPECT_FALSE(std::filesystem::exists(scratch / "run"));
}

TEST(ExperimentCommand, BadInputExitsWithTwoAndWritesNothing) {
  test_support::Scratch scratch("bad");
  std::ofstream(scratch / "file") << "not a folder";
  std::filesystem::create_directories(scratch / "taken");
  std::ofstream(scratch / "taken/run.json") << "{}";
  struct Case {
    std::function<void(ExperimentOptions&)> Change;
    std::string Message;
  };
  const std::vector<Case> cases = {
      {[](auto& o) { o.Experiment = "segregation"; },
       "unknown experiment 'segregation'; valid names: parameterspace, growth, streets, stability\n"},
      {[](auto& o) { o.Settings.push_back("Edit_noSuch=3"); }, "unknown control 'Edit_noSuch'; valid names: "},
      {[](auto& o) { o.Fields.push_back("Edit_anzAg=3"); }, "unknown control 'Edit_anzAg'; valid names: "},
      {[](auto& o) { o.Fields.push_back("Lbl_akt=3"); }, "unknown control 'Lbl_akt'; valid names: "},
      {[](auto& o) { o.Fields.push_back("E_toSteps"); }, "--exp takes CONTROL=VALUE, not 'E_toSteps'\n"},
      {[](auto& o) { o.Fields.push_back("E_toSteps=1e3"); }, "'1e3' ist kein gültiger Integerwert\n"},
      {[](auto& o) { o.Settings.push_back("Edit_anzAg=many"); }, "'many' ist kein gültiger Integerwert\n"},
      {[](auto& o) { o.Fields.push_back("E_incre=0"); }, "increments have to be > 0\n"},
      {[](auto& o) { o.Fields = {"E_toSteps=10"}; }, "please select a parameter\n"},
      {[](auto& o) { o.Shard = "3/2"; }, "--shard takes K/N with 0 <= K < N (K counted from 0), not '3/2'\n"},
      {[](auto& o) { o.Shard = "0/0"; }, "--shard takes K/N with 0 <= K < N (K counted from 0), not '0/0'\n"},
      {[](auto& o) { o.Shard = "-1/4"; }, "--shard takes K/N with 0 <= K < N (K counted from 0), not '-1/4'\n"},
      {[](auto& o) {
         o.Shard = "1/4";
         o.Seed.reset();
       },
       "--shard needs --seed, so that every shard derives the same seeds for the same calculations\n"},
      {[](auto& o) { o.Threads = 0; }, "--threads must be at least 1\n"},
      {[&](auto& o) { o.Out = scratch / "file/out"; }, "cannot create the output folder " + scratch / "file/out"},
      {[&](auto& o) { o.Out = scratch / "taken"; },
       scratch / "taken" + " already holds a run; continue it with --resume or choose another --out\n"},
      {[&](auto& o) {
         o.Resume = true;
         o.Out = scratch / "none";
       },
       scratch / "none" + " holds no experiment run (no run.json)\n"},
      {[](auto& o) { o.Fields.push_back("E_valFrom=5000"); },
       "parameterspace calculation 0 (value 5000): the number of groups must be at most 1000\n"},
      {[](auto& o) { o.Trial = -1; }, "--trial must not be negative\n"},
  };
  for (const Case& c : cases) {
    ExperimentOptions o = Parameterspace(scratch / "out");
    c.Change(o);
    const test_support::Outcome r = test_support::Experiment(o);
    EXPECT_EQ(r.Status, 2) << c.Message;
    EXPECT_EQ(r.Err.substr(0, c.Message.size()), c.Message);
    EXPECT_FALSE(std::filesystem::exists(scratch / "out")) << c.Message;
    EXPECT_FALSE(std::filesystem::exists(scratch / "none")) << c.Message;
  }
  ExperimentOptions stability = Stability3d(scratch / "out");
  stability.Fields.push_back("CB_param=-1");
  const test_support::Outcome r = test_support::Experiment(stability);
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(r.Err, "please select a parameter\n");
  EXPECT_EQ(test_support::ReadFile(scratch / "taken/run.json"), "{}");
}

TEST(Merge, RefusesFoldersThatAreNotTheCompleteShardsOfOneRun) {
  test_support::Scratch scratch("merge-bad");
  auto shard = [&](const std::string& name, const std::string& k, std::uint64_t seed = 42) {
    ExperimentOptions o = Parameterspace(scratch / name);
    o.Shard = k;
    o.Seed = seed;
    EXPECT_EQ(test_support::Experiment(o).Status, 0);
    return scratch / name;
  };
  const std::string a = shard("a", "0/2");
  const std::string b = shard("b", "1/2");
  const std::string c = shard("c", "1/2", 43);
  const std::string d = shard("d", "1/3");
  ExperimentOptions unfinished = Parameterspace(scratch / "e");
  unfinished.Shard = "1/2";
  ASSERT_EQ(test_support::Experiment(unfinished, 15).Status, 143);
  const std::string e = scratch / "e";

  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{a}, "shard 1/2 is missing\n"},
      {{a, b, b}, "shard 1/2 is given twice\n"},
      {{a, c}, c + " holds a run of other settings or another seed than " + a + "\n"},
      {{a, d}, d + " is a shard of 3, not of 2\n"},
      {{a, e}, e + " holds an unfinished run; complete it with --resume before merging\n"},
      {{a, scratch / "nowhere"}, scratch / "nowhere" + " holds no experiment run (no run.json)\n"},
  };
  for (const auto& [inputs, message] : cases) {
    const test_support::Outcome r = test_support::MergeFolders(inputs, scratch / "merged");
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Err, message);
    EXPECT_FALSE(std::filesystem::exists(scratch / "merged")) << message;
  }
  ASSERT_EQ(test_support::MergeFolders({b, a}, scratch / "merged").Status, 0);
  const test_support::Outcome again = test_support::MergeFolders({b, a}, scratch / "merged");
  EXPECT_EQ(again.Status, 2);
  EXPECT_EQ(again.Err, scratch / "merged" + " already holds a run; choose another --out\n");
}

}  // namespace
}  // namespace cli
