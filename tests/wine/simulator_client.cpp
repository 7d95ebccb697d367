#include "tests/wine/simulator_client.h"

#include "settings/field_codec.h"
#include "update/internet_handle_win.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kivo_test {

namespace {

std::string HexList(const std::vector<std::string>& items) {
    std::string list;
    for (const std::string& item : items) list += (list.empty() ? "" : ",") + HexEncode(item);
    return list;
}

// The simulator hex-encodes what it logged, so that no byte is lost on the way.
std::string Unhex(const std::string& hex) {
    const std::optional<std::string> bytes = HexDecode(hex);
    if (!bytes) ADD_FAILURE() << "the simulator sent a field that is not hexadecimal: " << hex;
    return bytes.value_or(std::string());
}

// A control request straight to the simulator; fails the test unless it answers 200.
std::string Control(const std::string& pathAndQuery) {
    const char* port = getenv("KIVO_SIM_PORT");
    if (!port) {
        ADD_FAILURE() << "KIVO_SIM_PORT is not set: run the tests with the test command";
        return std::string();
    }
    InternetHandle internet(
        InternetOpenA("kivo-tests", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    InternetHandle connection(InternetConnectA(internet.get(), "127.0.0.1",
                                               static_cast<INTERNET_PORT>(atoi(port)), nullptr,
                                               nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    InternetHandle request(
        HttpOpenRequestA(connection.get(), "GET", ("/__sim/" + pathAndQuery).c_str(), nullptr,
                         nullptr, nullptr, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    std::string body;
    DWORD status = 0;
    DWORD size = sizeof status;
    if (HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0) &&
        HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                       &size, nullptr)) {
        char chunk[4096];
        DWORD got = 0;
        while (InternetReadFile(request.get(), chunk, sizeof chunk, &got) && got > 0) {
            body.append(chunk, got);
        }
    }
    if (status != 200) ADD_FAILURE() << "simulator /__sim/" << pathAndQuery << ": " << body;
    return body;
}

// The value after "name=" in a line of the request log.
std::string Field(const std::string& line, const std::string& name) {
    const size_t start = line.find(name + "=");
    if (start == std::string::npos) return std::string();
    const size_t from = start + name.size() + 1;
    return line.substr(from, line.find(' ', from) - from);
}

}  // namespace

void SimReset() { Control("reset"); }

void SimSetAccount(const std::string& user, const std::string& password,
                   const std::vector<std::string>& hosts) {
    Control("account?user=" + HexEncode(user) + "&password=" + HexEncode(password) +
            "&hosts=" + HexList(hosts));
}

void SimAnswer(int status, const std::string& body, const std::string& location) {
    Control("misbehave?status=" + std::to_string(status) + "&body=" + HexEncode(body) +
            "&location=" + HexEncode(location));
}

void SimAnswerInPieces(const std::vector<std::string>& pieces, int gapMs) {
    Control("misbehave?status=200&pieces=" + HexList(pieces) + "&gap_ms=" + std::to_string(gapMs));
}

void SimStaySilent() { Control("misbehave?silence=1"); }

std::vector<SimRequest> SimRequests() {
    std::vector<SimRequest> requests;
    const std::string log = Control("requests");
    for (size_t start = 0; start < log.size();) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos) end = log.size();
        const std::string line = log.substr(start, end - start);
        requests.push_back({Unhex(Field(line, "target")), Unhex(Field(line, "path")),
                            Unhex(Field(line, "user")), Unhex(Field(line, "password")),
                            Field(line, "credentials") == "1"});
        start = end + 1;
    }
    return requests;
}

}  // namespace kivo_test
