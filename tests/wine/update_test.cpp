// The update command as a user meets it: field checks, the provider's answers, F3.
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "tests/wine/harness.h"
#include "tests/wine/simulator_client.h"

using namespace kivo_test;

namespace {

constexpr char Starting[] = "开始更新IP,请稍后...";
constexpr char Updated[] = "恭喜您,您的域名更新成功,当前IP为:";
constexpr char Unchanged[] = "您的域名无需更新,当前IP为:";
constexpr char NoHost[] = "您的域名输入错误,请检查!";
constexpr char CheckCredentials[] = "可能是用户名或密码错误,请您检查!!";

struct Fields {
    std::string host, ip, user, password;
};

const Fields DemoFields = {SimDemoHost, "", SimDemoUser, SimDemoPassword};

class UpdateTest : public ::testing::Test {
protected:
    void SetUp() override { SimReset(); }
    void TearDown() override { SimReset(); }  // also ends a silent answer still waiting

    void StartKivo(const std::string& proxy) {
        kivo_ = std::make_unique<KivoRun>(KivoOptions{"kivo.exe", proxy});
        kivo_->Start();
        kivo_->Main();
    }

    void Fill(const Fields& fields) {
        kivo_->SetText(IDC_HOST_FIELD, fields.host);
        kivo_->SetText(IDC_IP_FIELD, fields.ip);
        kivo_->SetText(IDC_USER_FIELD, fields.user);
        kivo_->SetText(IDC_PASSWORD_FIELD, fields.password);
    }

    std::string Status() { return kivo_->Text(IDC_STATUS_LINE); }

    // Clears StatusLine first, so that only this run's outcome can match.
    void ClickUpdate() {
        kivo_->SetText(IDC_STATUS_LINE, "");
        kivo_->Click(IDC_UPDATE_BUTTON);
    }

    bool WaitStatus(const std::string& expected, DWORD timeoutMs = 10000) {
        return WaitFor([&] { return Status() == expected; }, timeoutMs);
    }

    std::unique_ptr<KivoRun> kivo_;
};

void ExpectInformationBoxWithoutOwner(const MessageBoxSeen& box) {
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_NE(GetDlgItem(box.window, IDOK), nullptr);
    EXPECT_EQ(GetDlgItem(box.window, IDCANCEL), nullptr);
}

struct CheckCase {
    Fields fields;
    std::string status;
    std::string boxText;
};

TEST_F(UpdateTest, EachFailedCheckShowsItsStatusAndWarningAndSendsNothing) {
    const std::string domainWrong = "您的 域名 输入不正确,请检查后在尝试更新操作!";
    const std::string userWrong = "您的 用户名 输入不正确,请检查后在尝试更新操作!";
    const std::string passwordWrong = "您的 密码 输入不正确,请检查后在尝试更新操作!";
    const std::string addressBox =
        "您的 IP地址 输入不正确,请检查后在尝试更新操作!   \r\r"
        "注:IP地址可不填写,程序会自动获得您的外网IP.\r\r"
        "如需自定义IP,请注意格式,例如:127.0.0.1";
    const CheckCase cases[] = {
        {{"", "", "", ""}, domainWrong, domainWrong + "   "},
        {{"ab.cdefg", "", "demo", "kivo2026"}, domainWrong, domainWrong + "   "},
        {{"abcdefghijk", "", "demo", "kivo2026"}, domainWrong, domainWrong + "   "},
        {{"ab.cdefg", "", "demo", "abc"}, domainWrong, domainWrong + "   "},  // first fails
        {{"abcd.efghi", "", "abc", "kivo2026"}, userWrong, userWrong + "   "},
        {{"abcd.efghi", "", "demo", "abc"}, passwordWrong, passwordWrong + "   "},
        {{"abcd.efghi", "1", "demo", "kivo2026"},
         "您的 IP地址 输入不正确,请检查格式是否正确!",
         addressBox},
        {{"abcd.efghi", "localhost", "用户", "密码"},
         "您的 IP地址 输入不正确,请检查格式是否正确!",
         addressBox},
    };
    StartKivo(SimulatorProxy());
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.fields.host + "|" + c.fields.ip + "|" + c.fields.user + "|" +
                     c.fields.password);
        Fill(c.fields);
        ClickUpdate();
        const MessageBoxSeen box = kivo_->WaitBox();
        EXPECT_EQ(box.caption, "警告:");
        EXPECT_EQ(box.text, c.boxText);
        ExpectInformationBoxWithoutOwner(box);
        EXPECT_EQ(Status(), c.status);
        kivo_->CloseBox(box);
        EXPECT_EQ(Status(), c.status);
    }
    EXPECT_TRUE(SimRequests().empty());
}

// Every run reaches the provider: an answer from a cache would repeat "good".
TEST_F(UpdateTest, DemoAccountIsUpdatedThenUnchanged) {
    StartKivo(SimulatorProxy());
    Fill(DemoFields);
    ClickUpdate();
    EXPECT_TRUE(WaitStatus(std::string(Updated) + "127.0.0.1")) << Status();
    ClickUpdate();
    EXPECT_TRUE(WaitStatus(std::string(Unchanged) + "127.0.0.1")) << Status();
    kivo_->SetText(IDC_IP_FIELD, "10.1.2.3");
    ClickUpdate();
    EXPECT_TRUE(WaitStatus(std::string(Updated) + "10.1.2.3")) << Status();
    kivo_->SetText(IDC_HOST_FIELD, "other.kivo.example");
    ClickUpdate();
    EXPECT_TRUE(WaitStatus(NoHost)) << Status();
    EXPECT_EQ(SimRequests().size(), 4u);
    EXPECT_TRUE(kivo_->VisibleBoxes().empty());
}

struct ReplyCase {
    const char* name;
    int httpStatus;
    std::string body;
    std::string status;   // expected StatusLine, when the outcome is a status text
    std::string boxText;  // expected "未知消息:" box text otherwise
};

TEST_F(UpdateTest, EveryReplyFormIsReported) {
    const std::string longBody = std::string(1024, 'x') + "good 1.2.3.4";
    const ReplyCase cases[] = {
        {"good", 200, "good 1.2.3.4", std::string(Updated) + "1.2.3.4", ""},
        {"good with CR LF", 200, "good 1.2.3.4\r\n", std::string(Updated) + "1.2.3.4", ""},
        {"nochg", 200, "nochg 5.6.7.8", std::string(Unchanged) + "5.6.7.8", ""},
        {"nohost", 200, "nohost", NoHost, ""},
        {"unknown", 200, "badauth", "", "badauth"},
        {"empty", 200, "", CheckCredentials, ""},
        {"one byte", 200, "!", CheckCredentials, ""},
        {"404 page", 404, "<html><body>404 Not Found</body></html>", "",
         "<html><body>404 Not Found</body></html>"},
        {"over 1024 bytes", 200, longBody, "", std::string(1024, 'x')},
        {"NUL inside", 200, std::string("ab\0nohost", 9), "", "ab"},
        {"NUL as 2nd byte", 200, std::string("a\0good 1.2.3.4", 14), CheckCredentials, ""},
    };
    StartKivo(SimulatorProxy());
    Fill(DemoFields);
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimAnswer(c.httpStatus, c.body);
        ClickUpdate();
        if (c.boxText.empty()) {
            EXPECT_TRUE(WaitStatus(c.status)) << Status();
            EXPECT_TRUE(kivo_->VisibleBoxes().empty());
        } else {
            const MessageBoxSeen box = kivo_->WaitBox();
            EXPECT_EQ(box.caption, "未知消息:");
            EXPECT_EQ(box.text, c.boxText);
            ExpectInformationBoxWithoutOwner(box);
            EXPECT_EQ(Status(), Starting);
            kivo_->CloseBox(box);
        }
    }
    EXPECT_EQ(SimRequests().size(), std::size(cases));
}

// Regression: a single read could take only the first piece of the body.
TEST_F(UpdateTest, BodyInPiecesIsReadWhole) {
    SimAnswerInPieces({"goo", "d 1.2.", "3.4\r\n"}, 300);
    StartKivo(SimulatorProxy());
    Fill(DemoFields);
    ClickUpdate();
    EXPECT_TRUE(WaitStatus(std::string(Updated) + "1.2.3.4")) << Status();
}

// Regression: with no time-out of its own the window froze for as long as the provider
// kept silent (under Wine for ever).
TEST_F(UpdateTest, SilentProviderGivesTheEmptyReplyWithin30Seconds) {
    SimStaySilent();
    StartKivo(SimulatorProxy());
    Fill(DemoFields);
    const DWORD start = GetTickCount();
    ClickUpdate();
    EXPECT_TRUE(WaitStatus(CheckCredentials, 30000)) << Status();
    EXPECT_LT(GetTickCount() - start, 30000u);
    EXPECT_EQ(SimRequests().size(), 1u);
}

// Nor may a body that keeps coming in small pieces hold the window: the whole exchange
// has a limit.
TEST_F(UpdateTest, EndlessTrickleOfBodyGivesTheEmptyReplyWithin30Seconds) {
    SimAnswerInPieces(std::vector<std::string>(45, "x"), 1000);
    StartKivo(SimulatorProxy());
    Fill(DemoFields);
    const DWORD start = GetTickCount();
    ClickUpdate();
    EXPECT_TRUE(WaitStatus(CheckCredentials, 30000)) << Status();
    EXPECT_LT(GetTickCount() - start, 30000u);
    EXPECT_TRUE(kivo_->VisibleBoxes().empty());
}

TEST_F(UpdateTest, RefusedConnectionGivesTheEmptyReply) {
    StartKivo("http://127.0.0.1:1");  // nothing listens there
    Fill(DemoFields);
    ClickUpdate();
    EXPECT_TRUE(WaitStatus(CheckCredentials)) << Status();
    EXPECT_TRUE(kivo_->VisibleBoxes().empty());
}

// A redirect is not followed: its body is the reply and the credentials go nowhere else.
TEST_F(UpdateTest, RedirectIsShownNotFollowed) {
    SimAnswer(302, "moved", "http://elsewhere.kivo.example/dyndns/update?system=dyndns");
    StartKivo(SimulatorProxy());
    Fill(DemoFields);
    ClickUpdate();
    const MessageBoxSeen box = kivo_->WaitBox();
    EXPECT_EQ(box.text, "moved");
    kivo_->CloseBox(box);
    EXPECT_EQ(SimRequests().size(), 1u);
}

TEST_F(UpdateTest, F3UpdatesWhileTheWindowIsHidden) {
    StartKivo(SimulatorProxy());
    HWND main = kivo_->Main();
    Fill(DemoFields);
    // The dialog manager shows a dialog that is hidden when its loop first goes idle, which
    // may come after this hide: hide until the window stays hidden.
    ASSERT_TRUE(WaitFor([&] {
        ShowWindow(main, SW_HIDE);
        return !WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 300);
    }));
    PressKey(VK_F3);
    EXPECT_TRUE(WaitStatus(std::string(Updated) + "127.0.0.1")) << Status();
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ(SimRequests().size(), 1u);
}

// The boxes have no owner, so F3 runs a whole second update while one is open; closing
// the box then ends the first run without touching the second one's status.
TEST_F(UpdateTest, F3RunsASecondUpdateWhileABoxOfTheFirstIsOpen) {
    StartKivo(SimulatorProxy());
    Fill({SimDemoHost, "", SimDemoUser, "wrong-password"});
    ClickUpdate();
    const MessageBoxSeen first = kivo_->WaitBox();
    EXPECT_EQ(first.caption, "未知消息:");
    EXPECT_EQ(first.text, "badauth");
    kivo_->SetText(IDC_PASSWORD_FIELD, SimDemoPassword);
    PressKey(VK_F3);
    EXPECT_TRUE(WaitStatus(std::string(Updated) + "127.0.0.1")) << Status();
    EXPECT_TRUE(IsWindowVisible(first.window));
    kivo_->CloseBox(first);
    EXPECT_EQ(Status(), std::string(Updated) + "127.0.0.1");
    EXPECT_TRUE(kivo_->VisibleBoxes().empty());
    EXPECT_EQ(SimRequests().size(), 2u);
}

}  // namespace
