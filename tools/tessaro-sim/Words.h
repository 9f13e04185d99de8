#pragma once
// The simulator's smallest words: numbers as a scenario or an option writes them, and a word
// as messages show it. What the scenario language and the settings' values share.

#include <optional>
#include <string>
#include <string_view>

namespace sim {

// A finite number in the whole of `text` ("2.5", "1e-3"); none for anything else.
std::optional<double> parseNumber(std::string_view text);
// A whole number in the whole of `text`; none for anything else.
std::optional<long long> parseInteger(std::string_view text);
std::string lowercase(std::string_view text);

// A word as the messages show it: JSON-quoted, and bytes that are no UTF-8 shown as U+FFFD
// (a scenario is a file of the user's, any bytes at all).
std::string quote(const std::string& text);

}  // namespace sim
