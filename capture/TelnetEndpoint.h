// Classes: TelnetEndpoint, TelnetSwitch
//
// Where the trigger server listens, and the command-line switch that chooses
// it: "/telnet:ADDRESS:PORT", "/telnet:ADDRESS" (port 23) or "/telnet::PORT"
// (the machine's primary address). Without the switch the server listens on
// the primary address, port 23. Port 23 is often closed to unprivileged
// programs, and the primary address is not always where one wants to listen.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace capture {

struct TelnetEndpoint {
    static constexpr std::uint16_t kDefaultPort = 23;

    // True: the first IPv4 address of the machine's host name.
    bool primaryAddress = true;
    // Used when primaryAddress is false; in the order written (127.0.0.1 = {127, 0, 0, 1}).
    std::array<std::uint8_t, 4> address{};
    std::uint16_t port = kDefaultPort;

    // "primary address:23", "127.0.0.1:2323".
    std::string Describe() const;

    friend bool operator==(const TelnetEndpoint&, const TelnetEndpoint&) = default;
};

struct TelnetSwitch {
    bool present = false;
    TelnetEndpoint endpoint;
    // Not empty when a /telnet switch was given but cannot be used; endpoint is then the default.
    std::string error;
};

// Finds the switch among the words of a command line (case-insensitive). The last one
// given counts.
TelnetSwitch FindTelnetSwitch(std::string_view commandLine);

// "ADDRESS:PORT", "ADDRESS" or ":PORT". False (and a reason in `error`) for anything else:
// the address must be four decimal numbers 0..255, the port a decimal number 1..65535.
bool ParseTelnetEndpoint(std::string_view text, TelnetEndpoint* endpoint, std::string* error);

}  // namespace capture
