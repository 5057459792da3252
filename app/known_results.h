// Trial results computed before, kept in a file: `magpend map --results`
// writes those of its map, `magpend explore --known` takes from them every
// start point its views share with that map (the page's explorer so shows
// its first view at once, from results the native build computed when the
// page was built). Every machine computes the same bits, so a result read
// is the very answer; a sample of the file is computed again when it is
// read, and a file that disagrees is refused.
//
// The file: text lines, an empty line, then each start point's result in
// scan order (the band's bottom row first, each row from the left), five
// bytes each: the magnet (0: none), then the steps as an unsigned 32-bit
// number, least significant byte first.
//   magpend trial results
//   grid W H
//   region X0 X1 Y0 Y1
//   rows FIRST END
//   g G
//   m M
//   steps N            (the step limit)
//   magnets LIST       (as --magnets reads it)
//   height H
//   friction K
//   capture C
// Numbers are in their shortest exact text (app/number_text.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/start_grid.h"
#include "app/trial.h"

namespace app {

class KnownResults {
 public:
  // The results of rows firstRow .. endRow - 1 of `grid`, in scan order.
  KnownResults(const StartGrid& grid, int firstRow, int endRow, const TrialRules& rules,
               std::vector<TrialResult> results);

  const TrialRules& Rules() const { return rules_; }
  std::int64_t Count() const { return static_cast<std::int64_t>(results_.size()); }

  // The result of the trial from (x, y) under `rules`, if (x, y) is exactly
  // (bit for bit) one of the file's start points and the rules are its rules.
  std::optional<TrialResult> Find(const TrialRules& rules, double x, double y) const;

  // The file's bytes.
  std::string FileBytes() const;

 private:
  std::optional<std::size_t> IndexOf(double x, double y) const;

  StartGrid grid_;
  int firstRow_;
  int endRow_;
  TrialRules rules_;
  std::vector<TrialResult> results_;
  std::vector<double> columnX_;  // the grid's points, computed once
  std::vector<double> rowY_;     // (rows firstRow_ .. endRow_ - 1)
};

// The results of a file, or what is wrong with it: a line that follows
// "magpend: " (the file's name, then the fault). `sampleCount` of its
// results, spread over the file, are computed again with this program's
// arithmetic and must agree; trials longer than longTrialSteps are left out
// of the sample, so that reading a file never takes long.
struct KnownResultsReading {
  std::optional<KnownResults> results;
  std::string mistake;
};
KnownResultsReading ReadKnownResults(const std::filesystem::path& path, int sampleCount = 64);

}  // namespace app
