#include "sim/SimulateSwitch.h"

#include <cctype>

namespace sim {

SimulateSwitch FindSimulateSwitch(std::string_view line) {
    constexpr std::string_view kSwitch = "/simulate";
    SimulateSwitch result;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        }
        // One word; double quotes group blanks and are dropped.
        std::string word;
        bool quoted = false;
        while (i < line.size() && (quoted || !std::isspace(static_cast<unsigned char>(line[i])))) {
            if (line[i] == '"') {
                quoted = !quoted;
            } else {
                word += line[i];
            }
            ++i;
        }
        std::string head = word.substr(0, kSwitch.size());
        for (char& c : head) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (head != kSwitch) {
            continue;
        }
        if (word.size() == kSwitch.size()) {
            result = {true, {}};
        } else if (word[kSwitch.size()] == ':') {
            result = {true, word.substr(kSwitch.size() + 1)};
        }
    }
    return result;
}

}  // namespace sim
