#include "tools/tessaro-sim/SweepPlot.h"

#include "tools/tessaro-sim/Plot.h"
#include "tools/tessaro-sim/Scenario.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace sim {

namespace {

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : ", ") + word;
  return text;
}

std::string valueOf(const SettingsRow& row, const std::string& key) {
  const auto found = row.values.find(key);
  return found == row.values.end() ? "" : describeValue(found->second);
}

// The values a key takes over the rows, in the order of the grid.
std::vector<std::string> valuesOf(const SweepTable& table, const std::string& key) {
  std::vector<std::string> values;
  for (const SettingsRow& row : table.rows) {
    const std::string value = valueOf(row, key);
    if (std::find(values.begin(), values.end(), value) == values.end()) values.push_back(value);
  }
  return values;
}

std::string tics(const std::vector<std::string>& values) {
  std::string text = "(";
  for (std::size_t i = 0; i < values.size(); ++i) text += (i ? ", " : "") + gnuplotString(values[i]) + " " + std::to_string(i);
  return text + ")";
}

class Script {
 public:
  explicit Script(const std::filesystem::path& file) : file_(file), pipe_(::popen(("'" + findGnuplot().string() + "'").c_str(), "w")) {
    if (pipe_ == nullptr) throw PlotError("cannot run gnuplot");
    const bool svg = file.extension() == ".svg";
    line(std::string("set terminal ") + (svg ? "svg dynamic" : "pngcairo") + " size 1000,750 font 'Sans,10'");
    line("set output " + gnuplotString(file.string()));
  }
  ~Script() {
    if (pipe_ != nullptr) ::pclose(pipe_);
  }
  Script(const Script&) = delete;
  Script& operator=(const Script&) = delete;

  void line(const std::string& text) { std::fprintf(pipe_, "%s\n", text.c_str()); }
  void finish() {
    line("set output");
    const int status = ::pclose(pipe_);
    pipe_ = nullptr;
    if (status != 0) throw PlotError(file_.string() + ": gnuplot failed (status " + std::to_string(status) + ")");
  }

 private:
  std::filesystem::path file_;
  std::FILE* pipe_;
};

}  // namespace

std::vector<std::string> plotKeysFor(const std::filesystem::path& file, const std::vector<std::string>& requested,
                                     const std::vector<std::string>& varying) {
  const std::string extension = file.extension().string();
  if (extension != ".png" && extension != ".svg") throw PlotError(file.string() + ": a plot is a .png or .svg file");
  findGnuplot();
  if (varying.empty()) throw PlotError("--plot draws the errors over the grid: give --grid KEY=V1,V2,...");
  if (requested.empty()) {
    if (varying.size() > 2) {
      throw PlotError(std::to_string(varying.size()) + " grid keys vary (" + joined(varying) +
                      "): choose one or two to draw with --plot-keys A,B; the others are held at their best values");
    }
    return varying;
  }
  if (requested.size() > 2) throw PlotError("--plot-keys: one or two keys, not " + std::to_string(requested.size()));
  for (const std::string& key : requested) {
    if (std::find(varying.begin(), varying.end(), key) == varying.end()) {
      throw PlotError("--plot-keys " + key + ": not a grid key that varies (" + joined(varying) + ")");
    }
  }
  if (requested.size() == 2 && requested[0] == requested[1]) throw PlotError("--plot-keys: two different keys");
  return requested;
}

void drawSweepPlot(const SweepTable& table, const std::vector<std::string>& keys, const std::filesystem::path& file) {
  if (table.best.empty() || table.rows[table.best.front()].rank != 1) {
    throw PlotError(file.string() + ": no settings row ran every cell: nothing to draw");
  }
  const SettingsRow& best = table.rows[table.best.front()];
  // The rows drawn: those with the best row's values for every key not drawn.
  auto drawn = [&](const SettingsRow& row) {
    for (const std::string& key : table.keys) {
      if (std::find(keys.begin(), keys.end(), key) == keys.end() && valueOf(row, key) != valueOf(best, key)) return false;
    }
    return true;
  };
  std::string held;
  for (const std::string& key : table.keys) {
    if (std::find(keys.begin(), keys.end(), key) == keys.end()) held += (held.empty() ? "" : " ") + key + "=" + valueOf(best, key);
  }
  std::string bestText;
  for (const std::string& key : table.keys) bestText += (bestText.empty() ? "" : " ") + key + "=" + valueOf(best, key);
  const std::string subtitle = "best: " + bestText + " (" + std::to_string(best.missedWakes) + " missed, " +
                               std::to_string(best.falseWakes) + " false)" + (held.empty() ? "" : "; held at the best: " + held);

  const std::vector<std::string> xs = valuesOf(table, keys[0]);
  auto at = [](const std::vector<std::string>& values, const std::string& value) {
    return static_cast<std::size_t>(std::find(values.begin(), values.end(), value) - values.begin());
  };
  Script script(file);
  script.line("set xtics " + tics(xs));
  script.line("set xlabel " + gnuplotString(keys[0]));
  script.line("set xrange [-0.5:" + std::to_string(xs.size()) + "-0.5]");
  if (keys.size() == 1) {
    // Stacked: the missed wakes at the foot of each bar, the false wakes over them.
    long long most = 1;
    script.line("$errors << EOD");
    for (const SettingsRow& row : table.rows) {
      if (!drawn(row) || row.rank == 0) continue;
      most = std::max(most, row.errors());
      script.line(std::to_string(at(xs, valueOf(row, keys[0]))) + " " + std::to_string(row.missedWakes) + " " +
                  std::to_string(row.falseWakes) + " " + std::to_string(row.errors()));
    }
    script.line("EOD");
    script.line("set title " + gnuplotString("missed and false wakes over " + keys[0] + "\n" + subtitle));
    script.line("set ylabel 'recordings'\nset yrange [0:" + std::to_string(most) + " * 1.15]\nset grid ytics\nset key outside right top");
    if (most <= 12) script.line("set ytics 1");
    script.line("set style fill solid 0.8 border -1\nset boxwidth 0.6");
    script.line(
        "plot $errors using 1:4 with boxes lc rgb '#d55e00' title 'false wakes', "
        "'' using 1:2 with boxes lc rgb '#0072b2' title 'missed wakes', "
        "'' using 1:4:(sprintf('%d', $4)) with labels offset 0,0.8 notitle");
    script.finish();
    return;
  }
  const std::vector<std::string> ys = valuesOf(table, keys[1]);
  script.line("$map << EOD");
  long long most = 1;
  for (std::size_t y = 0; y < ys.size(); ++y) {
    for (std::size_t x = 0; x < xs.size(); ++x) {
      const auto row = std::find_if(table.rows.begin(), table.rows.end(), [&](const SettingsRow& r) {
        return drawn(r) && valueOf(r, keys[0]) == xs[x] && valueOf(r, keys[1]) == ys[y];
      });
      // A combination that did not run every cell is left blank, marked "?".
      const bool known = row != table.rows.end() && row->rank > 0;
      if (known) most = std::max(most, row->errors());
      script.line(std::to_string(x) + " " + std::to_string(y) + " " + (known ? std::to_string(row->errors()) : "NaN") + " " +
                  (known ? std::to_string(row->errors()) : "?"));
    }
  }
  script.line("EOD");
  script.line("$best << EOD\n" + std::to_string(at(xs, valueOf(best, keys[0]))) + " " +
              std::to_string(at(ys, valueOf(best, keys[1]))) + "\nEOD");
  script.line("set title " + gnuplotString("missed + false wakes over " + keys[0] + " and " + keys[1] + "\n" + subtitle));
  script.line("set ytics " + tics(ys));
  script.line("set ylabel " + gnuplotString(keys[1]));
  script.line("set yrange [-0.5:" + std::to_string(ys.size()) + "-0.5]");
  script.line("set cbrange [0:" + std::to_string(most) + "]\nset cblabel 'missed + false wakes'");
  if (most <= 12) script.line("set cbtics 1");
  script.line("set palette defined (0 '#1a9850', 0.5 '#fee08b', 1 '#d73027')\nunset key");
  script.line(
      "plot $map using 1:2:3 with image, $map using 1:2:(stringcolumn(4)) with labels font 'Sans,12', "
      "$best using 1:2 with points pt 6 ps 5 lw 2 lc rgb '#000000'");
  script.finish();
}

}  // namespace sim
