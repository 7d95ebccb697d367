#include "update/http_exchange_win.h"

#include <memory>
#include <vector>

#include "base/critical_section_win.h"
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

// A complete body whose end is read just after the budget is still taken (ReadReply).
constexpr DWORD DeadlineGraceMs = 500;

// One exchange runs on a thread of the system's pool, apart from the worker: WinINet's
// synchronous calls wait as long as a server keeps sending, however slowly, and name
// look-ups and connections wait outside its time-outs. (A pool's thread is ready at once; a
// thread of its own took 5 ms to start and end under Wine.) At the deadline the worker gives the
// exchange up. A call still waiting then has its handles closed, which ends it on Windows (under
// Wine it ends when the server stops); the thread makes no call after that, and what it learns is
// dropped. The thread and the worker share this record; the last of them frees it.
class Exchange {
public:
    Exchange(const WinInetFunctions& net, const HttpRequest& request, unsigned budgetMs)
        : net_(net),
          request_(request),
          budgetMs_(budgetMs),
          start_(GetTickCount()),
          ended_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Exchange() {
        if (ended_) CloseHandle(ended_);
    }
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    // On the exchange's thread.
    void Run() {
        reply_ = Perform();
        std::vector<HINTERNET> left;
        {
            Locked locked(lock_);
            left = TakeHandles();
        }
        Close(left);
    }

    // On the worker's thread: nothing of the exchange is used from now on.
    void GiveUp() {
        std::vector<HINTERNET> closing;
        {
            Locked locked(lock_);
            givenUp_ = true;
            if (inCall_) closing = TakeHandles();
        }
        Close(closing);
    }

    // Set once the exchange's own thread is done with it, by Run or else by its failure.
    HANDLE Ended() const { return ended_; }
    // Once Ended is set.
    const HttpReply& Reply() const { return reply_; }

private:
    enum Slot { Internet, Connection, Request, SlotCount };

    // Runs one WinINet call of the thread, unless the exchange was given up; false when it
    // was, before the call or during it: its handles are then no longer the thread's.
    template <typename Call>
    bool Step(Call&& call) {
        {
            Locked locked(lock_);
            if (givenUp_) return false;
            inCall_ = true;
        }
        call();
        Locked locked(lock_);
        inCall_ = false;
        return !givenUp_;
    }

    // A call that makes a handle: the handle is the exchange's from then on, or, where the
    // exchange was given up meanwhile, closed at once.
    template <typename Call>
    HINTERNET Open(Slot slot, Call&& call) {
        HINTERNET made = nullptr;
        if (!Step([&] { made = call(); })) {
            if (made) net_.InternetCloseHandle(made);
            return nullptr;
        }
        Locked locked(lock_);
        handles_[slot] = made;
        return made;
    }

    // The handles still open, the latest first, taken out of the record.
    std::vector<HINTERNET> TakeHandles() {
        std::vector<HINTERNET> taken;
        for (int slot = SlotCount - 1; slot >= 0; --slot) {
            if (handles_[slot]) taken.push_back(handles_[slot]);
            handles_[slot] = nullptr;
        }
        return taken;
    }

    void Close(const std::vector<HINTERNET>& handles) {
        for (HINTERNET handle : handles) net_.InternetCloseHandle(handle);
    }

    // At least 1 ms: a time-out of 0 would mean none at all.
    DWORD Left() const {
        const DWORD spent = GetTickCount() - start_;
        return spent < budgetMs_ ? budgetMs_ - spent : 1;
    }

    HttpReply Perform() {
        const HttpRequest& request = request_;
        const HINTERNET internet = Open(Internet, [&] {
            return net_.InternetOpenA(UserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        });
        if (!internet || !Step([&] { LimitWaits(net_, internet, Left()); })) return {};
        const INTERNET_PORT port = request.port     ? request.port
                                   : request.secure ? INTERNET_DEFAULT_HTTPS_PORT
                                                    : INTERNET_DEFAULT_HTTP_PORT;
        const HINTERNET connection = Open(Connection, [&] {
            return net_.InternetConnectA(internet, request.host.c_str(), port, nullptr, nullptr,
                                         INTERNET_SERVICE_HTTP, 0, 0);
        });
        if (!connection || !Step([&] { LimitWaits(net_, connection, Left()); })) return {};
        const HINTERNET get = Open(Request, [&] {
            return net_.HttpOpenRequestA(
                connection, request.method.c_str(), request.target.c_str(), nullptr, nullptr,
                nullptr, RequestFlags | (request.secure ? INTERNET_FLAG_SECURE : 0), 0);
        });
        if (!get || !Step([&] { LimitWaits(net_, get, Left()); })) return {};
        // The secure connection, if any, is made here, before the request is written to it.
        std::string body = request.body;  // the call takes a pointer to bytes it may change
        BOOL sent = FALSE;
        DWORD error = 0;
        if (!Step([&] {
                sent = net_.HttpSendRequestA(
                    get, request.headers.c_str(), static_cast<DWORD>(request.headers.size()),
                    body.empty() ? nullptr : &body[0], static_cast<DWORD>(body.size()));
                error = GetLastError();
            })) {
            return {};
        }
        if (!sent) return {FailureOf(error), {}};
        const std::optional<std::string> reply = ReadReply(
            [this, get](char* buffer, size_t room, unsigned waitMs, size_t* got) {
                // A time-out of 0 would mean none at all to the socket: 1 ms takes only what
                // has arrived, and the end of a body whose length has been read.
                DWORD available = 0, read = 0;
                BOOL ok = FALSE;
                const bool kept = Step([&] {
                    SetNumberOption(net_, get, INTERNET_OPTION_RECEIVE_TIMEOUT,
                                    waitMs == 0 ? 1 : AtMost(ReceiveTimeoutMs, waitMs));
                    // Ask only for what has arrived: a read of more waits for all of it
                    // under Wine.
                    ok = net_.InternetQueryDataAvailable(get, &available, 0, 0);
                    const DWORD want = available < room ? available : static_cast<DWORD>(room);
                    if (ok && want > 0) ok = net_.InternetReadFile(get, buffer, want, &read);
                });
                *got = read;
                return kept && ok;
            },
            [this] { return static_cast<unsigned>(GetTickCount() - start_); }, budgetMs_,
            request.replyLimit);
        if (!reply) return {};
        DWORD status = 0, size = sizeof status;
        std::string headers;
        if (!Step([&] {
                net_.HttpQueryInfoA(get, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                                    &size, nullptr);
                headers = RawHeaders(net_, get);
            })) {
            return {};
        }
        return {ExchangeEnd::Replied, *reply, status, headers};
    }

    const WinInetFunctions& net_;
    const HttpRequest request_;
    const unsigned budgetMs_;
    const DWORD start_;
    HttpReply reply_;
    const HANDLE ended_;
    CriticalSection lock_;
    bool givenUp_ = false;
    bool inCall_ = false;
    HINTERNET handles_[SlotCount] = {};
};

DWORD WINAPI RunExchange(void* shared) {
    const std::unique_ptr<std::shared_ptr<Exchange>> exchange(
        static_cast<std::shared_ptr<Exchange>*>(shared));
    try {
        (*exchange)->Run();
    } catch (const std::exception&) {
        // Out of memory: the worker finds no reply.
    }
    SetEvent((*exchange)->Ended());
    return 0;
}

}  // namespace

HttpReply HttpExchange(const HttpRequest& request, unsigned budgetMs) {
    const WinInetFunctions* net = WinInet();
    if (!net) return {ExchangeEnd::NoWinInet, {}};
    const auto exchange = std::make_shared<Exchange>(*net, request, budgetMs);
    if (!exchange->Ended()) return {};
    auto* shared = new std::shared_ptr<Exchange>(exchange);
    // A call may wait long: the pool gives other work threads of their own meanwhile.
    if (!QueueUserWorkItem(RunExchange, shared, WT_EXECUTELONGFUNCTION)) {
        delete shared;
        return {};
    }
    if (WaitForSingleObject(exchange->Ended(), budgetMs + DeadlineGraceMs) != WAIT_OBJECT_0) {
        exchange->GiveUp();
        return {};
    }
    return exchange->Reply();
}
