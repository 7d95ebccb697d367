// What the provider receives from an update: path, query and credentials, byte for byte.
#include <gtest/gtest.h>

#include "build_config.h"
#include "resources/resource_ids.h"
#include "tests/wine/harness.h"
#include "tests/wine/simulator_client.h"

using namespace kivo_test;

namespace {

constexpr char Updated[] = "恭喜您,您的域名更新成功,当前IP为:";

struct RequestCase {
    const char* name;
    std::string host, ip, user, password;
    std::string pathAndQuery;  // as the provider must receive it
};

// Regression: field texts went into the URL unescaped, so "@", "#", "/", "?" or ":" in the
// credentials sent them to another host or cut the request, and "&" in the domain added
// parameters. Each case's account owns exactly the domain typed, so the provider's "good"
// shows that it understood the request as meant.
TEST(UpdateRequest, ProviderReceivesTheFieldsByteExact) {
    const RequestCase cases[] = {
        {"ordinary", "home.kivo.example", "", "demo", "kivo2026",
         "/dyndns/update?system=dyndns&hostname=home.kivo.example&myip=&wildcard=OFF"},
        {"address given", "home.kivo.example", "10.0.0.7", "demo", "kivo2026",
         "/dyndns/update?system=dyndns&hostname=home.kivo.example&myip=10.0.0.7&wildcard=OFF"},
        {"URL delimiters in credentials", "home.kivo.example", "", "us@er#1/?", "p@ss#w/o?r:d",
         "/dyndns/update?system=dyndns&hostname=home.kivo.example&myip=&wildcard=OFF"},
        {"ampersand in domain", "a&myip=6.6.6.6.kivo.example", "", "demo", "kivo2026",
         "/dyndns/update?system=dyndns&hostname=a%26myip%3D6.6.6.6.kivo.example&myip="
         "&wildcard=OFF"},
        {"Chinese", "域名.kivo.example", "", "用户甲", "密码@#乙 ",
         "/dyndns/update?system=dyndns&hostname=%D3%F2%C3%FB.kivo.example&myip=&wildcard=OFF"},
        {"placeholders", "x{ip}{pwd}.kivo.example", "", "u{host}", "p{pwd}",
         "/dyndns/update?system=dyndns&hostname=x%7Bip%7D%7Bpwd%7D.kivo.example&myip="
         "&wildcard=OFF"},
    };
    SimReset();
    KivoRun kivo({"kivo.exe", SimulatorProxy()});
    kivo.Start();
    kivo.Main();
    size_t sent = 0;
    for (const RequestCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimSetAccount(c.user, c.password, {c.host});
        kivo.SetText(IDC_HOST_FIELD, c.host);
        kivo.SetText(IDC_IP_FIELD, c.ip);
        kivo.SetText(IDC_USER_FIELD, c.user);
        kivo.SetText(IDC_PASSWORD_FIELD, c.password);
        kivo.SetText(IDC_STATUS_LINE, "");
        kivo.Click(IDC_UPDATE_BUTTON);
        const std::string expectedStatus =
            std::string(Updated) + (c.ip.empty() ? "127.0.0.1" : c.ip);
        EXPECT_TRUE(WaitFor([&] { return kivo.Text(IDC_STATUS_LINE) == expectedStatus; }))
            << kivo.Text(IDC_STATUS_LINE);
        const std::vector<SimRequest> requests = SimRequests();
        ASSERT_EQ(requests.size(), ++sent);
        const SimRequest& received = requests.back();
        EXPECT_EQ(received.pathAndQuery, c.pathAndQuery);
        // Through a proxy the target names the shipped host, with or without the port.
        const std::string origin = "http://" KIVO_UPDATE_HOST;
        EXPECT_TRUE(received.target == origin + c.pathAndQuery ||
                    received.target == origin + ":80" + c.pathAndQuery)
            << received.target;
        EXPECT_TRUE(received.hadCredentials);
        EXPECT_EQ(received.user, c.user);
        EXPECT_EQ(received.password, c.password);
    }
}

}  // namespace
