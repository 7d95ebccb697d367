#include "update/http_exchange_win.h"

#include "update/internet_handle_win.h"
#include "update/wininet_win.h"

namespace {

// A provider that accepts the connection and then stays silent must not hold the window
// for long: the platform's own waits are long, and without end under Wine.
constexpr DWORD ConnectTimeoutMs = 5000;
constexpr DWORD SendTimeoutMs = 5000;
constexpr DWORD ReceiveTimeoutMs = 10000;

// Every request goes to the provider: an answer from a cache would report an update
// that never happened. No redirect is followed, so the credentials go nowhere else, and
// no dialog is shown. The certificate is checked by the platform and never waived: no
// flag ignores any of its errors.
constexpr DWORD RequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                               INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_AUTO_REDIRECT |
                               INTERNET_FLAG_NO_UI;

void SetNumberOption(const WinInetFunctions& net, HINTERNET handle, DWORD option, DWORD value) {
    net.InternetSetOptionA(handle, option, &value, sizeof value);
}

DWORD AtMost(DWORD limit, DWORD left) { return left < limit ? left : limit; }

// Set on every handle: platforms differ in which handle's values a call consults. No wait
// is longer than what is left of the exchange's budget.
void LimitWaits(const WinInetFunctions& net, HINTERNET handle, DWORD left) {
    SetNumberOption(net, handle, INTERNET_OPTION_CONNECT_TIMEOUT, AtMost(ConnectTimeoutMs, left));
    SetNumberOption(net, handle, INTERNET_OPTION_CONNECT_RETRIES, 1);
    SetNumberOption(net, handle, INTERNET_OPTION_SEND_TIMEOUT, AtMost(SendTimeoutMs, left));
    SetNumberOption(net, handle, INTERNET_OPTION_RECEIVE_TIMEOUT, AtMost(ReceiveTimeoutMs, left));
}

// The reply's header lines as received, the status line first.
std::string RawHeaders(const WinInetFunctions& net, HINTERNET request) {
    DWORD size = 0;
    net.HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
    std::string headers(size, '\0');
    if (size == 0 ||
        !net.HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, &headers[0], &size, nullptr)) {
        return {};
    }
    headers.resize(size);
    return headers;
}

}  // namespace

HttpReply HttpExchange(const HttpRequest& request, unsigned budgetMs) {
    const WinInetFunctions* loaded = WinInet();
    if (!loaded) return {ExchangeEnd::NoWinInet, {}};
    const WinInetFunctions& net = *loaded;
    const DWORD start = GetTickCount();
    // At least 1 ms: a time-out of 0 would mean none at all.
    const auto left = [start, budgetMs] {
        const DWORD spent = GetTickCount() - start;
        return spent < budgetMs ? budgetMs - spent : 1;
    };
    InternetHandle internet(
        net.InternetOpenA(UserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0),
        net.InternetCloseHandle);
    if (!internet) return {ExchangeEnd::Unreachable, {}};
    LimitWaits(net, internet.get(), left());
    InternetHandle connection(net.InternetConnectA(internet.get(), request.host.c_str(),
                                                   request.port     ? request.port
                                                   : request.secure ? INTERNET_DEFAULT_HTTPS_PORT
                                                                    : INTERNET_DEFAULT_HTTP_PORT,
                                                   nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0),
                              net.InternetCloseHandle);
    if (!connection) return {ExchangeEnd::Unreachable, {}};
    LimitWaits(net, connection.get(), left());
    InternetHandle get(
        net.HttpOpenRequestA(connection.get(), request.method.c_str(), request.target.c_str(),
                             nullptr, nullptr, nullptr,
                             RequestFlags | (request.secure ? INTERNET_FLAG_SECURE : 0), 0),
        net.InternetCloseHandle);
    if (!get) return {ExchangeEnd::Unreachable, {}};
    LimitWaits(net, get.get(), left());
    // The secure connection, if any, is made here, before the request is written to it.
    std::string body = request.body;  // the call takes a pointer to bytes it may change
    if (!net.HttpSendRequestA(get.get(), request.headers.c_str(),
                              static_cast<DWORD>(request.headers.size()),
                              body.empty() ? nullptr : &body[0], static_cast<DWORD>(body.size()))) {
        return {FailureOf(GetLastError()), {}};
    }
    const std::optional<std::string> reply = ReadReply(
        [&net, &get](char* buffer, size_t room, unsigned waitMs, size_t* got) {
            // A time-out of 0 would mean none at all to the socket: 1 ms takes only what
            // has arrived, and the end of a body whose length has been read.
            SetNumberOption(net, get.get(), INTERNET_OPTION_RECEIVE_TIMEOUT,
                            waitMs == 0 ? 1 : AtMost(ReceiveTimeoutMs, waitMs));
            // Ask only for what has arrived: a read of more waits for all of it under Wine.
            DWORD available = 0;
            if (!net.InternetQueryDataAvailable(get.get(), &available, 0, 0)) return false;
            DWORD read = 0;
            const DWORD want = available < room ? available : static_cast<DWORD>(room);
            if (want > 0 && !net.InternetReadFile(get.get(), buffer, want, &read)) return false;
            *got = read;
            return true;
        },
        [start] { return static_cast<unsigned>(GetTickCount() - start); }, budgetMs,
        request.replyLimit);
    if (!reply) return {ExchangeEnd::Unreachable, {}};
    DWORD status = 0, size = sizeof status;
    net.HttpQueryInfoA(get.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                       nullptr);
    return {ExchangeEnd::Replied, *reply, status, RawHeaders(net, get.get())};
}
