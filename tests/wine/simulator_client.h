// Drives the provider simulator that the test command starts (port in KIVO_SIM_PORT):
// its state, its misbehaviour and the log of the updates it received.
//
// To check what Kivo sent: call SimReset() before starting Kivo with
// KivoOptions.proxy = SimulatorProxy(), then read SimRequests() afterwards, e.g.
//     EXPECT_EQ(SimRequests().size(), 1u);
// After SimReset() the account is the demo one (SimDemoUser, SimDemoPassword, owning
// SimDemoHost), nothing is registered and updates are answered as a provider would.
#ifndef KIVO_TESTS_SIMULATOR_CLIENT_H
#define KIVO_TESTS_SIMULATOR_CLIENT_H

#include <string>
#include <vector>

namespace kivo_test {

inline constexpr char SimDemoUser[] = "demo";
inline constexpr char SimDemoPassword[] = "kivo2026";
inline constexpr char SimDemoHost[] = "home.kivo.example";

// One update request as the simulator received it; every field is byte-exact.
struct SimRequest {
    std::string target;        // the request line's target (absolute form through a proxy)
    std::string pathAndQuery;  // the target without scheme and host
    std::string user;          // HTTP Basic credentials, decoded
    std::string password;
    bool hadCredentials = false;
};

// Demo account, nothing registered, no misbehaviour, empty log.
void SimReset();
// The account: user, password and the host names it owns; nothing registered.
void SimSetAccount(const std::string& user, const std::string& password,
                   const std::vector<std::string>& hosts);
// Until the next reset, every update is answered with this status and exactly these bytes,
// with a Location header when one is given.
void SimAnswer(int status, const std::string& body, const std::string& location = "");
// ... with these pieces, each sent on its own after a pause of gapMs.
void SimAnswerInPieces(const std::vector<std::string>& pieces, int gapMs);
// ... not at all: the connection is accepted and nothing is sent.
void SimStaySilent();
// The updates received since the last reset, oldest first.
std::vector<SimRequest> SimRequests();

}  // namespace kivo_test

#endif
