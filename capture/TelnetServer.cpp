#include "capture/TelnetServer.h"

#include <cstring>

namespace {

// The wire texts carry their terminating zero; the client sees it.
constexpr char kGreeting[] = "Oriscope Telnet Interface\n\r";
constexpr char kPrompt[] = ">";
constexpr char kLineEnd[] = "\n\r";
constexpr char kCommand[] = "trigger";
constexpr long kSelectedEvents = FD_READ | FD_WRITE | FD_ACCEPT | FD_CLOSE;

static_assert(sizeof(kGreeting) == 28);
static_assert(sizeof(kPrompt) == 2);
static_assert(sizeof(kLineEnd) == 3);
static_assert(kSelectedEvents == 0x2B);

}  // namespace

TelnetServer::~TelnetServer() {
    Stop();
}

int TelnetServer::Start(std::uint16_t port, HWND window) {
    capture::TelnetEndpoint endpoint;
    endpoint.port = port;
    return Start(endpoint, window);
}

int TelnetServer::Start(const capture::TelnetEndpoint& endpoint, HWND window) {
    Stop();
    m_window = window;
    WSADATA data{};
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) {
        return 0;
    }
    m_libraryInUse = true;
    if (LOBYTE(data.wVersion) != 1 || HIBYTE(data.wVersion) != 1) {
        Stop();
        return 0;
    }

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.port);
    if (endpoint.primaryAddress) {
        char hostName[200] = {};
        if (gethostname(hostName, sizeof(hostName)) != 0) {
            Stop();
            return 0;
        }
        const hostent* host = gethostbyname(hostName);
        if (host == nullptr || host->h_addrtype != AF_INET || host->h_length != 4 ||
            host->h_addr_list == nullptr || host->h_addr_list[0] == nullptr) {
            Stop();
            return 0;
        }
        std::memcpy(&address.sin_addr, host->h_addr_list[0], 4);
    } else {
        std::memcpy(&address.sin_addr, endpoint.address.data(), 4);
    }

    m_listenSocket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (m_listenSocket == INVALID_SOCKET) {
        Stop();
        return 0;
    }
    // A socket that cannot listen is closed, not left behind for the process's lifetime.
    if (bind(m_listenSocket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(m_listenSocket, 5) != 0 ||
        WSAAsyncSelect(m_listenSocket, m_window, kSocketMessage, kSelectedEvents) != 0) {
        Stop();
        return 0;
    }
    m_clientSocket = INVALID_SOCKET;
    m_lineLength = 0;
    return 1;
}

void TelnetServer::OnSocketEvent(SOCKET socket, unsigned eventBits) {
    // Events still queued for a socket already closed (a refused second client, a client
    // that left) must not act on the current client.
    if ((eventBits & FD_ACCEPT) != 0 && socket == m_listenSocket && Listening()) {
        Accept();
    }
    if ((eventBits & FD_READ) != 0 && socket == m_clientSocket && ClientConnected()) {
        Receive();
    }
    if ((eventBits & FD_CLOSE) != 0 && socket == m_clientSocket && ClientConnected()) {
        CloseClient();
    }
}

void TelnetServer::Accept() {
    const SOCKET incoming = accept(m_listenSocket, nullptr, nullptr);
    if (incoming == INVALID_SOCKET) {
        return;
    }
    if (ClientConnected()) {
        closesocket(incoming);
        return;
    }
    m_clientSocket = incoming;
    SendBytes(kGreeting, sizeof(kGreeting));
    SendBytes(kPrompt, sizeof(kPrompt));
    m_lineLength = 0;
}

void TelnetServer::Receive() {
    char chunk[kChunkSize];
    const int received = recv(m_clientSocket, chunk, sizeof(chunk), 0);
    if (received <= 0) {
        return;
    }
    const std::size_t count = static_cast<std::size_t>(received);
    const void* carriageReturn = std::memchr(chunk, '\r', count);
    std::size_t take =
        carriageReturn ? static_cast<std::size_t>(static_cast<const char*>(carriageReturn) - chunk)
                       : count;
    const std::size_t room = kLineCapacity - 1 - m_lineLength;
    if (take > room) {
        take = room;
    }
    if (take > 0) {
        std::memcpy(m_line + m_lineLength, chunk, take);
        m_lineLength += take;
        SendBytes(chunk, take);
    }
    if (carriageReturn == nullptr) {
        return;
    }
    SendLineEndAndPrompt();
    m_line[m_lineLength] = '\0';
    // Compared with its length: a zero byte typed after "trigger" is not the command.
    const std::size_t commandLength = sizeof(kCommand) - 1;
    if (m_lineLength == commandLength && std::memcmp(m_line, kCommand, commandLength) == 0) {
        PostMessageA(m_window, kTriggerMessage, 0, 0);
    }
    m_lineLength = 0;
}

void TelnetServer::CloseClient() {
    closesocket(m_clientSocket);
    m_clientSocket = INVALID_SOCKET;
    m_lineLength = 0;
}

void TelnetServer::Reply(const char* text) {
    if (!ClientConnected() || text == nullptr) {
        return;
    }
    SendBytes(text, std::strlen(text));
    SendLineEndAndPrompt();
}

void TelnetServer::Stop() {
    if (ClientConnected()) {
        CloseClient();
    }
    if (Listening()) {
        closesocket(m_listenSocket);
        m_listenSocket = INVALID_SOCKET;
    }
    // Only our own start is balanced: another camera's server may still use the library.
    if (m_libraryInUse) {
        WSACleanup();
        m_libraryInUse = false;
    }
}

std::uint16_t TelnetServer::LocalPort() const {
    if (!Listening()) {
        return 0;
    }
    sockaddr_in address{};
    int length = sizeof(address);
    if (getsockname(m_listenSocket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

void TelnetServer::SendBytes(const void* bytes, std::size_t count) {
    // A client that does not read loses what does not fit; the server never waits for it.
    send(m_clientSocket, static_cast<const char*>(bytes), static_cast<int>(count), 0);
}

void TelnetServer::SendLineEndAndPrompt() {
    SendBytes(kLineEnd, sizeof(kLineEnd));
    SendBytes(kPrompt, sizeof(kPrompt));
}
