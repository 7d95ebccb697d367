// Domains at providers with their own API, against the simulated APIs: the record is looked
// up and changed only where it differs, made where it is missing, and a refusal is told,
// never with the key, and holds or pauses the watch.
#include <algorithm>

#include "dnsapi/api_providers.h"
#include "tests/wine/harness.h"

using namespace kivo_test;

namespace {

// The providers that sign their calls prove the system's SHA-256 against the simulator's.
const char* const ApiProviderKeys[] = {"cloudflare", "dnspod", "alidns", "tencentcloud",
                                       "huaweicloud"};

// Kivo in a folder of the test's own, set up for the provider's demo account (or another
// secret), with these fields, started with the arguments given.
struct ApiKivo : TestKivo {
    ApiKivo(const std::string& provider, const std::string& host, const std::string& ip,
            const std::string& secret, const char* autoUpdate = "",
            const std::string& arguments = "") {
        const SimApiKey key = SimApiDemoKey(provider);
        std::string lines = "Host=" + host + "|0\r\n";
        if (!ip.empty()) lines += "myIP=" + ip + "|0\r\n";
        if (*key.keyId) lines += std::string("Name=") + key.keyId + "|0\r\n";
        lines += "Pwd=" + secret + "|0\r\n" + autoUpdate + "\r\nProvider=" + provider + "|0\r\n";
        WriteFileBytes(folder + "kivo.Lr", lines);
        Start(arguments);
        WaitFor([this] { return AnyMain() != nullptr; });
    }
    std::string Status() { return WindowText(GetDlgItem(AnyMain(), IDC_STATUS_LINE)); }
};

// The kinds of the calls the provider received since the reset.
std::vector<std::string> CallKinds() {
    std::vector<std::string> kinds;
    for (const SimApiCall& call : SimApiCalls()) kinds.push_back(call.kind);
    return kinds;
}

std::string ValueOf(const std::string& provider, const std::string& name) {
    const std::vector<SimApiRecord> records = SimApiRecords(provider, name);
    return records.size() == 1 ? records[0].value : "(" + std::to_string(records.size()) + ")";
}

}  // namespace

// Changed where the record differs, keeping its TTL, line and proxying; nothing sent where it
// holds the address; made where there is none; the check service asked first with an empty
// IP field. Neither the log nor the state file holds the key.
TEST(DnsApi, ChangesTheRecordOnlyWhereItDiffersMakesAMissingOneAndAsksTheAddressFirst) {
    for (const std::string provider : ApiProviderKeys) {
        SCOPED_TRACE(provider);
        SimReset();
        const std::string secret = SimApiDemoKey(provider).secret;
        ApiKivo kivo(provider, DemoHost, "198.51.100.20", secret);
        kivo.Main();
        EXPECT_TRUE(kivo.Update(Updated + "198.51.100.20")) << kivo.Status();
        EXPECT_EQ(ValueOf(provider, DemoHost), "198.51.100.20");
        EXPECT_EQ(CallKinds(), (std::vector<std::string>{"zones", "records", "change"}));
        EXPECT_TRUE(kivo.Update(Unchanged + "198.51.100.20")) << kivo.Status();
        EXPECT_EQ(CallKinds().size(), 5u) << "no change call for a record that holds the address";
        const SimApiRecord kept = SimApiRecords(provider, "kept.kivo.example").at(0);
        kivo.SetText(IDC_HOST_FIELD, "kept.kivo.example");
        EXPECT_TRUE(kivo.Update(Updated + "198.51.100.20")) << kivo.Status();
        const SimApiRecord changed = SimApiRecords(provider, "kept.kivo.example").at(0);
        EXPECT_EQ(std::tie(changed.id, changed.ttl, changed.line, changed.proxied),
                  std::tie(kept.id, kept.ttl, kept.line, kept.proxied));
        kivo.SetText(IDC_HOST_FIELD, "new.kivo.example");
        EXPECT_TRUE(kivo.Update(Updated + "198.51.100.20")) << kivo.Status();
        EXPECT_EQ(ValueOf(provider, "new.kivo.example"), "198.51.100.20");
        EXPECT_EQ(CallKinds().back(), "create");
        kivo.SetText(IDC_IP_FIELD, "");
        EXPECT_TRUE(kivo.Update(Updated + "203.0.113.1")) << kivo.Status();
        EXPECT_EQ(ValueOf(provider, "new.kivo.example"), "203.0.113.1");
        EXPECT_EQ(SimCheckHosts().size(), 1u);
        const std::string log = ReadFileBytes(kivo.folder + "kivo.log");
        for (const char* done : {"已更新", "无需更新", "已创建"}) {
            EXPECT_NE(log.find(Recoded(done, 936, CP_UTF8)), std::string::npos) << done << "\n"
                                                                                << log;
        }
        for (const std::string& file : {log, ReadFileBytes(kivo.folder + "kivo.state")}) {
            EXPECT_EQ(file.find(secret), std::string::npos) << file;
        }
    }
    // No secure connection: where Windows turns TLS 1.2 on, which the APIs require.
    ApiKivo kivo("cloudflare", DemoHost, "198.51.100.20", SimApiDemoKey("cloudflare").secret);
    SimControl("certificate?name=untrusted");
    EXPECT_TRUE(
        kivo.Update("无法建立安全连接,已取消更新!本系统的TLS可能太旧,请在\"Internet "
                    "选项 → 高级\"中勾选\"使用 TLS 1.2\"后再试。"))
        << kivo.Status();
    SimReset();
}

// At logon, with "自动更新": a refused key is told on the status line, without a box, after
// one call, and the watch pauses; throttling holds the watch for 30 minutes or longer.
TEST(DnsApi, ARefusedKeyPausesTheWatchAfterOneCallAndThrottlingHoldsIt) {
    const struct {
        const char* provider;
        const char* throttle;
    } cases[] = {{"cloudflare", "429"},
                 {"dnspod", "-2"},
                 {"alidns", "Throttling.User"},
                 {"tencentcloud", "RequestLimitExceeded"},
                 {"huaweicloud", "APIGW.0308"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.provider);
        SimReset();
        {
            ApiKivo kivo(c.provider, DemoHost, "198.51.100.20", "WrongSecret0123456789",
                         "Auto=True", "/tray");
            const std::string refused =
                ApiProviderOf(c.provider)->keyNoun + std::string("无效或被服务商拒绝,请检查!");
            EXPECT_TRUE(WaitFor([&] { return kivo.Status() == refused; }, 15000)) << kivo.Status();
            EXPECT_EQ(CallKinds(), std::vector<std::string>{"zones"});
            EXPECT_TRUE(kivo.Boxes().empty());
            std::string state;
            EXPECT_TRUE(WaitFor([&] {
                return (state = ReadFileBytes(kivo.folder + "kivo.state")).find("paused=") !=
                       std::string::npos;
            }));
            EXPECT_EQ(state.find("paused=\r\n"), std::string::npos) << "paused: " << state;
            EXPECT_EQ(state.find("WrongSecret"), std::string::npos);
        }
        SimReset();
        SimApiFail(c.provider, c.throttle);
        ApiKivo kivo(c.provider, DemoHost, "198.51.100.20", SimApiDemoKey(c.provider).secret,
                     "Auto=True", "/tray");
        EXPECT_TRUE(
            WaitFor([&] { return kivo.Status() == "访问服务商过于频繁,请稍后再试!"; }, 15000))
            << kivo.Status();
        const std::time_t now = std::time(nullptr);
        std::string state;
        EXPECT_TRUE(WaitFor([&] {
            state = ReadFileBytes(kivo.folder + "kivo.state");
            return state.find("held=") != std::string::npos;
        }));
        const long long held = std::atoll(state.c_str() + state.find("held=") + 5);
        EXPECT_GE(held - now, 30 * 60 - 5) << state;
        if (&c != cases) continue;  // the hold is the watch's, whatever the provider
        PostMessageA(kivo.AnyMain(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
        Sleep(6500);  // a check follows a resume after 5 s
        EXPECT_EQ(SimApiCalls().size(), 1u) << "held";
    }
}

// A clock 20 minutes off is told with its size, and holds the watch for 30 minutes: Windows
// may set its clock meanwhile.
TEST(DnsApi, AClockTwentyMinutesOffIsToldAndHoldsTheWatch) {
    for (const char* provider : {"alidns", "tencentcloud", "huaweicloud"}) {
        SCOPED_TRACE(provider);
        SimReset();
        SimApiClock(1200);
        ApiKivo kivo(provider, DemoHost, "198.51.100.20", SimApiDemoKey(provider).secret,
                     "Auto=True", "/tray");
        const std::string told =
            "电脑时间与服务商相差约 20 分钟,请校准系统时间(设置 → 时间和语言 → 立即同步)!";
        EXPECT_TRUE(WaitFor([&] { return kivo.Status() == told; }, 15000)) << kivo.Status();
        EXPECT_EQ(CallKinds(), std::vector<std::string>{"zones"});
        std::string state;
        EXPECT_TRUE(WaitFor([&] {
            return (state = ReadFileBytes(kivo.folder + "kivo.state")).find("held=") !=
                   std::string::npos;
        }));
        const long long held = std::atoll(state.c_str() + state.find("held=") + 5);
        EXPECT_GE(held - std::time(nullptr), 30 * 60 - 5) << state;
        EXPECT_NE(state.find("paused=\r\n"), std::string::npos) << "held, not paused";
    }
    SimApiClock(0);
}
