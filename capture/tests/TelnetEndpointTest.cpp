// The /telnet switch: what it finds on a command line and what it refuses.
#include <gtest/gtest.h>

#include "capture/TelnetEndpoint.h"

namespace {

using capture::FindTelnetSwitch;
using capture::TelnetEndpoint;

TelnetEndpoint At(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d,
                  std::uint16_t port) {
    TelnetEndpoint endpoint;
    endpoint.primaryAddress = false;
    endpoint.address = {a, b, c, d};
    endpoint.port = port;
    return endpoint;
}

TelnetEndpoint PrimaryAt(std::uint16_t port) {
    TelnetEndpoint endpoint;
    endpoint.port = port;
    return endpoint;
}

TEST(TelnetSwitch, AcceptedForms) {
    struct Case {
        const char* commandLine;
        TelnetEndpoint expected;
    };
    const Case cases[] = {
        {"/telnet:127.0.0.1:2323", At(127, 0, 0, 1, 2323)},
        {"/telnet:127.0.0.1", At(127, 0, 0, 1, 23)},
        {"/telnet::2323", PrimaryAt(2323)},
        {"/TELNET:10.1.2.3:65535", At(10, 1, 2, 3, 65535)},
        {"/telnet:0.0.0.0:1", At(0, 0, 0, 0, 1)},
        {"/simulate /telnet:192.168.255.254:8023 other", At(192, 168, 255, 254, 8023)},
        {"\"/telnet:127.0.0.1:99\"", At(127, 0, 0, 1, 99)},
        // The last one given counts.
        {"/telnet:1.2.3.4:5 /telnet:127.0.0.1:6", At(127, 0, 0, 1, 6)},
    };
    for (const Case& c : cases) {
        const capture::TelnetSwitch found = FindTelnetSwitch(c.commandLine);
        EXPECT_TRUE(found.present) << c.commandLine;
        EXPECT_EQ("", found.error) << c.commandLine;
        EXPECT_EQ(c.expected.Describe(), found.endpoint.Describe()) << c.commandLine;
        EXPECT_TRUE(c.expected == found.endpoint) << c.commandLine;
    }
}

TEST(TelnetSwitch, AbsentGivesThePrimaryAddressOnPort23) {
    for (const char* line : {"", "/simulate", "/telnetx:127.0.0.1:5", "telnet:127.0.0.1:5",
                             "/simulate:/telnet:1.2.3.4"}) {
        const capture::TelnetSwitch found = FindTelnetSwitch(line);
        EXPECT_FALSE(found.present) << line;
        EXPECT_EQ("", found.error) << line;
        EXPECT_TRUE(found.endpoint == TelnetEndpoint()) << line;
        EXPECT_EQ("primary address:23", found.endpoint.Describe()) << line;
    }
}

TEST(TelnetSwitch, UnusableValuesAreReportedAndKeepTheDefault) {
    for (const char* line :
         {"/telnet", "/telnet:", "/telnet::", "/telnet:127.0.0.1:", "/telnet:127.0.0.1:0",
          "/telnet:127.0.0.1:65536", "/telnet:127.0.0.1:99999999", "/telnet:127.0.0.1:23x",
          "/telnet:127.0.0.1:-1", "/telnet:256.0.0.1", "/telnet:1.2.3", "/telnet:1.2.3.4.5",
          "/telnet:1..3.4", "/telnet:localhost:23", "/telnet:1.2.3.4:5:6", "/telnet:::23",
          "/telnet: 1.2.3.4"}) {
        const capture::TelnetSwitch found = FindTelnetSwitch(line);
        EXPECT_TRUE(found.present) << line;
        EXPECT_NE("", found.error) << line;
        EXPECT_TRUE(found.endpoint == TelnetEndpoint())
            << line << " gave " << found.endpoint.Describe();
    }
}

}  // namespace
