// "使用本机IPv6地址": with the IP field empty, the update carries this PC's public IPv6
// address, or Kivo says plainly that the PC has none and sends nothing; the watch follows the
// address without asking the check service; the choice survives a restart.
#include "settings/settings_reading.h"
#include "tests/wine/harness.h"
#include "watch/watch_rules.h"

using namespace kivo_test;

namespace {

// Adds an address to this machine's interface through the simulator, which runs as root;
// the reply says why where the machine refuses.
std::string AddAddress(const std::string& address) {
    return SimControl("local-ipv6?add=" + HexEncode(address));
}

bool ChoosesOwnIpv6In(const std::string& settingsFile) {
    for (const std::string& line : ReadSettingsLines(settingsFile)) {
        if (ChoosesOwnIpv6(line)) return true;
    }
    return false;
}

}  // namespace

TEST(OwnIpv6, TheUpdateCarriesThisPcsAddressAndTheWatchFollowsIt) {
    SimReset();  // also takes away addresses an earlier run added
    std::string settings;
    {
        WatchedKivo kivo(DemoPassword, "", "");
        kivo.Post(WM_COMMAND, IDM_TRAY_OWN_IPV6, 0);
        // This machine holds only unique-local and link-local IPv6 addresses.
        EXPECT_TRUE(kivo.Update(NoPublicIpv6Text)) << kivo.Status();
        EXPECT_TRUE(SimRequests().empty());
        const std::string added = AddAddress("2001:db8:4b::5");
        if (added != "ok") GTEST_SKIP() << "this machine adds no IPv6 address: " << added;
        EXPECT_TRUE(kivo.Update(Updated + "2001:db8:4b::5")) << kivo.Status();
        ASSERT_EQ(SimRequests().size(), 1u);
        EXPECT_NE(SimRequests()[0].pathAndQuery.find("&myip=2001%3Adb8%3A4b%3A%3A5&"),
                  std::string::npos)
            << SimRequests()[0].pathAndQuery;
        // An address typed into the IP field still wins.
        kivo.SetText(IDC_IP_FIELD, "10.1.2.3");
        EXPECT_TRUE(kivo.Update(Updated + "10.1.2.3")) << kivo.Status();
        kivo.SetText(IDC_IP_FIELD, "");

        // The watch: the changed field sends the address again, which the AAAA record still
        // holds; unchanged, nothing goes out; a new address goes out at the next check.
        SendMessageA(kivo.Item(IDC_AUTO_UPDATE_BOX), BM_SETCHECK, BST_CHECKED, 0);
        EXPECT_TRUE(kivo.ResumeShows(Unchanged + "2001:db8:4b::5")) << kivo.Status();
        EXPECT_TRUE(kivo.ResumeShows(AddressSame + "2001:db8:4b::5")) << kivo.Status();
        SimControl("local-ipv6?remove=" + HexEncode("2001:db8:4b::5"));
        EXPECT_TRUE(kivo.ResumeShows(NoPublicIpv6Text)) << kivo.Status();
        EXPECT_EQ(AddAddress("2001:db8:4b::6"), "ok");
        EXPECT_TRUE(kivo.ResumeShows(Updated + "2001:db8:4b::6")) << kivo.Status();
        EXPECT_EQ(SimRequests().size(), 4u);
        EXPECT_TRUE(SimChecks().empty()) << "the check service is not asked";

        kivo.Click(IDC_CLOSE_LABEL);
        kivo.CloseBox(kivo.WaitBox());
        EXPECT_EQ(kivo.ExitCode(), 0u);
        settings = ReadFileBytes(kivo.folder + "kivo.Lr");
    }
    EXPECT_TRUE(ChoosesOwnIpv6In(settings));
    // Started again from that file, the choice holds; chosen once more, it is off again.
    TestKivo again;
    WriteFileBytes(again.folder + "kivo.Lr", settings);
    again.Start();
    EXPECT_TRUE(again.Update(Unchanged + "2001:db8:4b::6")) << again.Text(IDC_STATUS_LINE);
    // The start's update and this one both told the same: the next waits for both to end.
    EXPECT_TRUE(WaitFor([] { return SimRequests().size() == 6; }));
    // The change brings a check, whose update sends the address a service reports; F3's
    // then sends none, and the provider takes the one the request came from.
    again.Post(WM_COMMAND, IDM_TRAY_OWN_IPV6, 0);
    EXPECT_TRUE(WaitFor([] { return SimRequests().size() == 7; }));
    EXPECT_TRUE(again.Update(Updated + "127.0.0.1")) << again.Text(IDC_STATUS_LINE);
    again.Click(IDC_CLOSE_LABEL);
    again.CloseBox(again.WaitBox());
    EXPECT_EQ(again.ExitCode(), 0u);
    EXPECT_FALSE(ChoosesOwnIpv6In(ReadFileBytes(again.folder + "kivo.Lr")));
    SimReset();
}
