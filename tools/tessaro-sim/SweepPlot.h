#pragma once
// `sweep --plot FILE.png|.svg`: a labelled sweep's errors as a picture, drawn by gnuplot as
// a replay's plot is. Over two grid keys, a heat map of missed plus false wakes, one square
// a combination, the best row ringed; over one, the missed wakes, the false wakes and their
// sum over its values. Grid keys not drawn are held at their values in the best row. With
// more than two keys that vary, the one or two to draw are chosen (`--plot-keys A,B`).
// Fails with PlotError: no gnuplot, a name that is neither .png nor .svg, keys that are not
// grid keys that vary (or none, or more than two), no row that ran every cell, gnuplot
// failing.

#include "tools/tessaro-sim/SweepTable.h"

#include <filesystem>
#include <string>
#include <vector>

namespace sim {

// The keys to draw over, checked before the sweep runs: `requested` (one or two), or the
// keys that vary when they are one or two.
std::vector<std::string> plotKeysFor(const std::filesystem::path& file, const std::vector<std::string>& requested,
                                     const std::vector<std::string>& varying);

// Draws the picture of a ranked table over `keys`.
void drawSweepPlot(const SweepTable& table, const std::vector<std::string>& keys, const std::filesystem::path& file);

}  // namespace sim
