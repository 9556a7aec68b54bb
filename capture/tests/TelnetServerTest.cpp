// The trigger server over real sockets: the server listens on 127.0.0.1 on a
// port the system picks, clients connect there. Server and clients share the
// test thread; the clients never block and the thread's messages are pumped
// while they wait, so socket events reach the server's window as in the camera
// thread.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "capture/TelnetServer.h"

namespace {

using namespace std::string_literals;

const std::string kGreeting = "Oriscope Telnet Interface\n\r\0"s;
const std::string kPrompt = ">\0"s;
const std::string kLineEnd = "\n\r\0"s;
const std::string kAnswer = kLineEnd + kPrompt;
// Only guards against a hang; no test depends on how long anything takes.
constexpr DWORD kPatienceMs = 10000;

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// A window that hands socket events to the server and counts trigger messages.
class ServerWindow {
public:
    ServerWindow() {
        static const ATOM atom = [] {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = &ServerWindow::Procedure;
            windowClass.hInstance = GetModuleHandleA(nullptr);
            windowClass.lpszClassName = "TelnetServerTestWindow";
            return RegisterClassA(&windowClass);
        }();
        EXPECT_NE(0, atom);
        m_handle = CreateWindowExA(0, "TelnetServerTestWindow", "", WS_OVERLAPPED, 0, 0, 10, 10,
                                   nullptr, nullptr, GetModuleHandleA(nullptr), this);
        EXPECT_NE(nullptr, m_handle);
    }
    ~ServerWindow() { DestroyWindow(m_handle); }
    ServerWindow(const ServerWindow&) = delete;
    ServerWindow& operator=(const ServerWindow&) = delete;

    HWND Handle() const { return m_handle; }
    TelnetServer server;
    int triggers = 0;

private:
    static LRESULT CALLBACK Procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(handle, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<ServerWindow*>(GetWindowLongPtrA(handle, GWLP_USERDATA));
        if (self != nullptr && message == TelnetServer::kSocketMessage) {
            self->server.OnSocketEvent(static_cast<SOCKET>(wParam), LOWORD(lParam));
            return 0;
        }
        if (self != nullptr && message == TelnetServer::kTriggerMessage) {
            EXPECT_EQ(0u, wParam);
            EXPECT_EQ(0, lParam);
            ++self->triggers;
            return 0;
        }
        return DefWindowProcA(handle, message, wParam, lParam);
    }

    HWND m_handle = nullptr;
};

// A non-blocking client on 127.0.0.1 that keeps what it receives.
class Client {
public:
    explicit Client(std::uint16_t port) {
        m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        EXPECT_NE(INVALID_SOCKET, m_socket);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        // The listening socket completes the connection without the server's thread.
        const int connected =
            connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
        EXPECT_EQ(0, connected) << "connect failed with " << WSAGetLastError();
        u_long nonBlocking = 1;
        ioctlsocket(m_socket, FIONBIO, &nonBlocking);
    }
    ~Client() { Close(); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    void Close() {
        if (m_socket != INVALID_SOCKET) {
            closesocket(m_socket);
            m_socket = INVALID_SOCKET;
        }
    }

    // Sends everything, taking in what arrives meanwhile so the server's echo never stalls.
    void Send(const std::string& bytes) {
        std::size_t sent = 0;
        const DWORD start = GetTickCount();
        while (sent < bytes.size() && GetTickCount() - start < kPatienceMs) {
            const int result =
                send(m_socket, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
            if (result > 0) {
                sent += static_cast<std::size_t>(result);
            } else {
                ASSERT_EQ(WSAEWOULDBLOCK, WSAGetLastError()) << "send failed";
            }
            PumpMessages();
            TakeIn();
        }
        ASSERT_EQ(bytes.size(), sent) << "the server stopped reading";
    }

    // The next `count` bytes received (fewer only when the patience ran out).
    std::string Read(std::size_t count) {
        const DWORD start = GetTickCount();
        while (m_received.size() < count && !m_ended && GetTickCount() - start < kPatienceMs) {
            PumpMessages();
            if (!TakeIn()) {
                Sleep(1);
            }
        }
        const std::string result = m_received.substr(0, count);
        m_received.erase(0, result.size());
        return result;
    }

    // True once the server closed the connection; what it sent before stays readable.
    bool WaitForEnd() {
        const DWORD start = GetTickCount();
        while (!m_ended && GetTickCount() - start < kPatienceMs) {
            PumpMessages();
            if (!TakeIn()) {
                Sleep(1);
            }
        }
        return m_ended;
    }

    const std::string& Pending() const { return m_received; }

    // Everything received so far, taken out.
    std::string TakeAll() {
        PumpMessages();
        while (TakeIn()) {
        }
        std::string result;
        result.swap(m_received);
        return result;
    }

private:
    // False when nothing was there.
    bool TakeIn() {
        char buffer[4096];
        const int result = recv(m_socket, buffer, sizeof(buffer), 0);
        if (result > 0) {
            m_received.append(buffer, static_cast<std::size_t>(result));
            return true;
        }
        if (result == 0 || WSAGetLastError() != WSAEWOULDBLOCK) {
            m_ended = true;
        }
        return false;
    }

    SOCKET m_socket = INVALID_SOCKET;
    std::string m_received;
    bool m_ended = false;
};

capture::TelnetEndpoint Loopback(std::uint16_t port = 0) {
    capture::TelnetEndpoint endpoint;
    endpoint.primaryAddress = false;
    endpoint.address = {127, 0, 0, 1};
    endpoint.port = port;
    return endpoint;
}

class TelnetServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        WSADATA data{};
        ASSERT_EQ(0, WSAStartup(MAKEWORD(1, 1), &data));  // for the clients
        ASSERT_EQ(1, window.server.Start(Loopback(), window.Handle()));
        ASSERT_TRUE(window.server.Listening());
        port = window.server.LocalPort();
        ASSERT_NE(0, port);
    }
    void TearDown() override {
        window.server.Stop();
        WSACleanup();
    }

    // A client that has received the greeting and the prompt.
    std::unique_ptr<Client> Greeted() {
        auto client = std::make_unique<Client>(port);
        EXPECT_EQ(kGreeting + kPrompt, client->Read(kGreeting.size() + kPrompt.size()));
        return client;
    }

    // Sends a line and returns exactly what the server answers to it: its echo and the
    // line end and prompt. Afterwards every message the line caused has been handled.
    std::string Exchange(Client& client, const std::string& bytes, std::size_t echoed) {
        client.Send(bytes);
        std::string answer = client.Read(echoed + kAnswer.size());
        PumpMessages();
        return answer;
    }

    ServerWindow window;
    std::uint16_t port = 0;
};

TEST_F(TelnetServerTest, ConnectingGivesTheGreetingAndThePromptAndNothingMore) {
    Client client(port);
    EXPECT_EQ(kGreeting + kPrompt, client.Read(30));
    // The next bytes are the answer to the next line.
    EXPECT_EQ("x" + kAnswer, Exchange(client, "x\r", 1));
    EXPECT_TRUE(window.server.ClientConnected());
}

TEST_F(TelnetServerTest, TriggerLineIsEchoedAnsweredAndPostedOnce) {
    auto client = Greeted();
    EXPECT_EQ("trigger" + kAnswer, Exchange(*client, "trigger\r\n", 7));
    EXPECT_EQ(1, window.triggers);
    // The line feed after the carriage return was dropped: the next line is clean.
    EXPECT_EQ("trigger" + kAnswer, Exchange(*client, "trigger\r", 7));
    EXPECT_EQ(2, window.triggers);
}

TEST_F(TelnetServerTest, LinesOtherThanTriggerPostNothingButAreAnswered) {
    auto client = Greeted();
    // The line feed of the first line arrives with the second one and starts it.
    EXPECT_EQ("x" + kAnswer, Exchange(*client, "x\r", 1));
    const std::string lines[] = {"\ntrigger",  "Trigger",    "TRIGGER",   "trigger now",
                                 " trigger",   "trigge",     "triggerr",  "",
                                 "trigger\0"s, "\0trigger"s, "trig\0ger"s};
    for (const std::string& line : lines) {
        EXPECT_EQ(line + kAnswer, Exchange(*client, line + "\r", line.size()))
            << "line of " << line.size() << " bytes";
    }
    EXPECT_EQ(0, window.triggers);
}

TEST_F(TelnetServerTest, LineSentOneByteAtATimeIsAssembled) {
    auto client = Greeted();
    for (char c : "trigger"s) {
        client->Send(std::string(1, c));
        EXPECT_EQ(std::string(1, c), client->Read(1));  // its own chunk, echoed alone
    }
    EXPECT_EQ(kAnswer, Exchange(*client, "\r", 0));
    EXPECT_EQ(1, window.triggers);
}

TEST_F(TelnetServerTest, MoreThan79CharactersAreNeitherStoredNorEchoed) {
    auto client = Greeted();
    const std::string first(50, 'a');
    const std::string second(50, 'b');
    client->Send(first);
    EXPECT_EQ(first, client->Read(first.size()));
    // Of the second chunk only 29 characters fit; the carriage return still ends the line.
    EXPECT_EQ(second.substr(0, 29) + kAnswer, Exchange(*client, second + "\r", 29));
    // Exactly 79 characters in one chunk are all taken.
    const std::string full(79, 'c');
    EXPECT_EQ(full + kAnswer, Exchange(*client, full + "\r", 79));
    // "trigger" after 79 other characters on the same line is not the command.
    EXPECT_EQ(full + kAnswer, Exchange(*client, full + "trigger\r", 79));
    EXPECT_EQ("trigger" + kAnswer, Exchange(*client, "trigger\r", 7));
    EXPECT_EQ(1, window.triggers);
}

TEST_F(TelnetServerTest, BytesAfterTheCarriageReturnOfAChunkAreDropped) {
    auto client = Greeted();
    EXPECT_EQ("x" + kAnswer, Exchange(*client, "x\rtrigger\r", 1));
    EXPECT_EQ("y" + kAnswer, Exchange(*client, "y\r", 1));
    EXPECT_EQ(0, window.triggers);
}

TEST_F(TelnetServerTest, SecondClientIsClosedAtOnceAndTheNextOneAfterTheFirstIsGreeted) {
    auto first = Greeted();
    Client second(port);
    EXPECT_TRUE(second.WaitForEnd());
    EXPECT_EQ("", second.Pending());
    EXPECT_EQ("trigger" + kAnswer, Exchange(*first, "trigger\r", 7));
    EXPECT_EQ(1, window.triggers);

    first->Close();
    auto third = Greeted();
    EXPECT_EQ("trigger" + kAnswer, Exchange(*third, "trigger\r", 7));
    EXPECT_EQ(2, window.triggers);
}

TEST_F(TelnetServerTest, ReplyGivesTheFileNameLineEndAndPrompt) {
    window.server.Reply("no client: nothing happens");
    auto client = Greeted();
    EXPECT_EQ("trigger" + kAnswer, Exchange(*client, "trigger\r", 7));
    const std::string name = "07-09-05-03-12.bmp";
    window.server.Reply(name.c_str());
    EXPECT_EQ(name + kAnswer, client->Read(name.size() + kAnswer.size()));
    EXPECT_EQ("x" + kAnswer, Exchange(*client, "x\r", 1));
}

TEST_F(TelnetServerTest, PartialLineSurvivesUntilItsCarriageReturn) {
    auto client = Greeted();
    client->Send("trig");
    EXPECT_EQ("trig", client->Read(4));
    EXPECT_EQ("ger" + kAnswer, Exchange(*client, "ger\r", 3));
    EXPECT_EQ(1, window.triggers);
}

TEST_F(TelnetServerTest, StopClosesTheClientAndTheListeningSocket) {
    auto client = Greeted();
    window.server.Stop();
    EXPECT_FALSE(window.server.Listening());
    EXPECT_FALSE(window.server.ClientConnected());
    EXPECT_TRUE(client->WaitForEnd());
    EXPECT_EQ(0, window.server.LocalPort());
    window.server.Stop();  // twice is harmless
}

TEST_F(TelnetServerTest, ClientLeavingMidLineLeavesNothingForTheNextClient) {
    auto first = Greeted();
    first->Send("trig");
    EXPECT_EQ("trig", first->Read(4));
    first->Close();
    // Until the server has seen the first one go, the next is refused; try until greeted.
    std::unique_ptr<Client> next;
    for (int attempt = 0; attempt < 100 && !next; ++attempt) {
        auto candidate = std::make_unique<Client>(port);
        if (candidate->Read(kGreeting.size() + kPrompt.size()) == kGreeting + kPrompt) {
            next = std::move(candidate);
        }
    }
    ASSERT_TRUE(next);
    EXPECT_EQ("ger" + kAnswer, Exchange(*next, "ger\r", 3));
    EXPECT_EQ(0, window.triggers);
}

// --- Hostile clients ----------------------------------------------------------------------

TEST_F(TelnetServerTest, BinaryGarbageIsSurvived) {
    auto client = Greeted();
    std::mt19937 random(1234);
    std::string garbage(64 * 1024, '\0');
    for (char& c : garbage) {
        c = static_cast<char>(random() & 0xFF);
        if (c == '\r') {
            c = '\x0E';  // the garbage is one endless line
        }
    }
    client->Send(garbage);
    EXPECT_EQ(garbage.substr(0, 79), client->Read(79));
    EXPECT_EQ(kAnswer, Exchange(*client, "\r", 0));
    EXPECT_EQ("trigger" + kAnswer, Exchange(*client, "trigger\r", 7));
    EXPECT_EQ(1, window.triggers);
}

TEST_F(TelnetServerTest, GarbageWithCarriageReturnsPostsNothing) {
    auto client = Greeted();
    std::mt19937 random(99);
    std::string garbage(16 * 1024, '\0');
    for (char& c : garbage) {
        c = static_cast<char>(random() & 0xFF);
    }
    client->Send(garbage + "\r");
    // A line that shares a chunk with the garbage's last carriage return is dropped with
    // the rest of that chunk: send it again until it comes through on its own.
    const std::string marker = "marker-line";
    std::string seen;
    for (int attempt = 0; attempt < 50 && seen.find(marker + kAnswer) == std::string::npos;
         ++attempt) {
        client->Send(marker + "\r");
        for (int wait = 0; wait < 20; ++wait) {
            seen += client->TakeAll();
            Sleep(10);
        }
    }
    EXPECT_NE(std::string::npos, seen.find(marker + kAnswer));
    PumpMessages();
    EXPECT_EQ(0, window.triggers);
    EXPECT_EQ("trigger" + kAnswer, Exchange(*client, "trigger\r", 7));
    EXPECT_EQ(1, window.triggers);
}

TEST_F(TelnetServerTest, MegabyteWithoutCarriageReturnIsSurvived) {
    auto client = Greeted();
    client->Send(std::string(1024 * 1024, 'z'));
    EXPECT_EQ(std::string(79, 'z'), client->Read(79));
    EXPECT_EQ(kAnswer, Exchange(*client, "\r", 0));
    EXPECT_EQ("trigger" + kAnswer, Exchange(*client, "trigger\r", 7));
    EXPECT_EQ(1, window.triggers);
}

TEST_F(TelnetServerTest, SilentClientKeepsItsPlaceUntilItLeaves) {
    auto silent = Greeted();
    Client refused(port);
    EXPECT_TRUE(refused.WaitForEnd());
    EXPECT_TRUE(window.server.ClientConnected());
    silent->Close();
    EXPECT_TRUE(silent->WaitForEnd());
    std::unique_ptr<Client> next;
    for (int attempt = 0; attempt < 100 && !next; ++attempt) {
        auto candidate = std::make_unique<Client>(port);
        if (candidate->Read(kGreeting.size() + kPrompt.size()) == kGreeting + kPrompt) {
            next = std::move(candidate);
        }
    }
    ASSERT_TRUE(next);
    EXPECT_EQ("trigger" + kAnswer, Exchange(*next, "trigger\r", 7));
    EXPECT_EQ(1, window.triggers);
}

TEST_F(TelnetServerTest, ManyConnectionAttemptsLeaveTheClientServed) {
    auto client = Greeted();
    std::vector<std::unique_ptr<Client>> others;
    for (int i = 0; i < 40; ++i) {
        others.push_back(std::make_unique<Client>(port));
        if (i % 2 == 0) {
            others.back()->Send("trigger\r");  // before the server refuses it
        }
    }
    for (std::size_t i = 0; i < others.size(); ++i) {
        EXPECT_TRUE(others[i]->WaitForEnd()) << "attempt " << i;
        EXPECT_EQ("", others[i]->Pending()) << "attempt " << i;
    }
    EXPECT_EQ("trigger" + kAnswer, Exchange(*client, "trigger\r", 7));
    EXPECT_EQ(1, window.triggers);
}

TEST_F(TelnetServerTest, ClientsThatComeAndGoAtOnceLeaveTheClientServed) {
    auto client = Greeted();
    // Their events may still be queued when the server refuses them: none may reach the
    // client that stays.
    for (int i = 0; i < 40; ++i) {
        Client passing(port);
        if (i % 2 == 0) {
            passing.Send("trigger\r");
        }
        passing.Close();
        PumpMessages();
    }
    for (int i = 0; i < 20; ++i) {
        PumpMessages();
        Sleep(5);
    }
    EXPECT_TRUE(window.server.ClientConnected());
    EXPECT_EQ("trigger" + kAnswer, Exchange(*client, "trigger\r", 7));
    EXPECT_EQ(1, window.triggers);
}

// --- Starting and the socket library ------------------------------------------------------

TEST_F(TelnetServerTest, PortInUseFailsAndLeavesNothingOpen) {
    ServerWindow other;
    EXPECT_EQ(0, other.server.Start(Loopback(port), other.Handle()));
    EXPECT_FALSE(other.server.Listening());
    EXPECT_EQ(0, other.server.LocalPort());
    other.server.Stop();
}

TEST_F(TelnetServerTest, OtherServersStoppingDoNotEndThisOne) {
    {
        ServerWindow failed;
        EXPECT_EQ(0, failed.server.Start(Loopback(port), failed.Handle()));
        failed.server.Stop();
        ServerWindow neverStarted;
        neverStarted.server.Stop();
        neverStarted.server.Stop();
        ServerWindow finished;
        ASSERT_EQ(1, finished.server.Start(Loopback(), finished.Handle()));
        finished.server.Stop();
    }  // destructors stop once more
    // Our WSAStartup and the server's own are the only ones left: both still count.
    auto client = Greeted();
    EXPECT_EQ("trigger" + kAnswer, Exchange(*client, "trigger\r", 7));
    EXPECT_EQ(1, window.triggers);
}

TEST_F(TelnetServerTest, StartingAgainListensAnew) {
    auto client = Greeted();
    ASSERT_EQ(1, window.server.Start(Loopback(), window.Handle()));
    EXPECT_TRUE(client->WaitForEnd());
    port = window.server.LocalPort();
    auto next = Greeted();
    EXPECT_EQ("trigger" + kAnswer, Exchange(*next, "trigger\r", 7));
    EXPECT_EQ(1, window.triggers);
}

}  // namespace
