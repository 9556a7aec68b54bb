// Classes: TelnetServer
//
// A minimal line server for one client at a time: it greets the client,
// echoes what it types, prompts after each line and turns the line "trigger"
// into a message for its window. No telnet option negotiation. Windows
// Sockets 1.1 with socket events delivered as window messages, so everything
// runs on the thread of the window and needs no locking.
#pragma once

#include <windows.h>  // with Windows Sockets 1.1 (winsock.h)

#include <cstddef>
#include <cstdint>

#include "capture/TelnetEndpoint.h"

class TelnetServer {
public:
    // Socket events reach the window with this message (wParam the socket, lParam the event).
    static constexpr UINT kSocketMessage = 0x0800;
    // Posted to the window (wParam and lParam 0) for every "trigger" line.
    static constexpr UINT kTriggerMessage = 0x0801;
    static constexpr std::size_t kLineCapacity = 80;  // 79 characters and a zero
    static constexpr std::size_t kChunkSize = 256;

    TelnetServer() = default;
    ~TelnetServer();
    TelnetServer(const TelnetServer&) = delete;
    TelnetServer& operator=(const TelnetServer&) = delete;

    // Listens on the machine's primary address. 1 on success, 0 on failure.
    int Start(std::uint16_t port, HWND window);
    // Listens where the endpoint says. A server already listening is stopped first.
    int Start(const capture::TelnetEndpoint& endpoint, HWND window);
    // For kSocketMessage: the socket from wParam, the event bits from the low half of lParam.
    void OnSocketEvent(SOCKET socket, unsigned eventBits);
    // Sends the text, a line end and a prompt to the connected client, if any.
    void Reply(const char* text);
    // Closes both sockets and ends this server's use of the socket library.
    void Stop();

    bool Listening() const { return m_listenSocket != INVALID_SOCKET; }
    // The port actually listened on (port 0 asks the system for a free one); 0 when idle.
    std::uint16_t LocalPort() const;
    bool ClientConnected() const { return m_clientSocket != INVALID_SOCKET; }

private:
    void Accept();
    void Receive();
    void CloseClient();
    void SendBytes(const void* bytes, std::size_t count);
    void SendLineEndAndPrompt();

    SOCKET m_listenSocket = INVALID_SOCKET;
    SOCKET m_clientSocket = INVALID_SOCKET;
    char m_line[kLineCapacity] = {};
    std::size_t m_lineLength = 0;
    HWND m_window = nullptr;
    // WSAStartup succeeded and is not yet balanced by WSACleanup.
    bool m_libraryInUse = false;
};
