#include "capture/TelnetEndpoint.h"

#include <cctype>

namespace capture {

namespace {

// A decimal number of at most `maximum`, digits only; false for anything else.
bool ParseNumber(std::string_view text, unsigned maximum, unsigned* value) {
    if (text.empty() || text.size() > 5) {
        return false;
    }
    unsigned result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        result = result * 10 + static_cast<unsigned>(c - '0');
    }
    if (result > maximum) {
        return false;
    }
    *value = result;
    return true;
}

bool ParseAddress(std::string_view text, std::array<std::uint8_t, 4>* address) {
    std::array<std::uint8_t, 4> parts{};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::size_t dot = text.find('.');
        const bool last = i + 1 == parts.size();
        if (last != (dot == std::string_view::npos)) {
            return false;
        }
        unsigned value = 0;
        if (!ParseNumber(text.substr(0, dot), 255, &value)) {
            return false;
        }
        parts[i] = static_cast<std::uint8_t>(value);
        text = last ? std::string_view() : text.substr(dot + 1);
    }
    *address = parts;
    return true;
}

}  // namespace

std::string TelnetEndpoint::Describe() const {
    std::string text;
    if (primaryAddress) {
        text = "primary address";
    } else {
        for (std::size_t i = 0; i < address.size(); ++i) {
            text += (i == 0 ? "" : ".") + std::to_string(address[i]);
        }
    }
    return text + ":" + std::to_string(port);
}

bool ParseTelnetEndpoint(std::string_view text, TelnetEndpoint* endpoint, std::string* error) {
    TelnetEndpoint result;
    const std::size_t colon = text.find(':');
    const std::string_view addressText = text.substr(0, colon);
    if (colon == std::string_view::npos && addressText.empty()) {
        *error = "The /telnet switch needs an address, a port or both (/telnet:ADDRESS:PORT).";
        return false;
    }
    if (!addressText.empty()) {
        if (!ParseAddress(addressText, &result.address)) {
            *error =
                "The address of the /telnet switch must be four numbers 0 to 255 "
                "(for example 127.0.0.1).";
            return false;
        }
        result.primaryAddress = false;
    }
    if (colon != std::string_view::npos) {
        unsigned port = 0;
        if (!ParseNumber(text.substr(colon + 1), 65535, &port) || port == 0) {
            *error = "The port of the /telnet switch must be a number from 1 to 65535.";
            return false;
        }
        result.port = static_cast<std::uint16_t>(port);
    }
    *endpoint = result;
    return true;
}

TelnetSwitch FindTelnetSwitch(std::string_view line) {
    constexpr std::string_view kSwitch = "/telnet";
    TelnetSwitch result;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        }
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
        // "/telnetx" is another word; "/telnet" alone names nothing to change.
        if (head != kSwitch || word.size() == kSwitch.size() || word[kSwitch.size()] != ':') {
            if (head == kSwitch && word.size() == kSwitch.size()) {
                result = {true,
                          {},
                          "The /telnet switch needs an address, a port or both "
                          "(/telnet:ADDRESS:PORT)."};
            }
            continue;
        }
        TelnetSwitch found{true, {}, {}};
        if (!ParseTelnetEndpoint(std::string_view(word).substr(kSwitch.size() + 1), &found.endpoint,
                                 &found.error)) {
            found.endpoint = TelnetEndpoint();
        }
        result = found;
    }
    return result;
}

}  // namespace capture
