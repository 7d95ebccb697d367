// The settings file as a user meets it: closing with " 关 " keeps the five settings, the
// next start brings them back, and a save that cannot be completed keeps the old file.
#include <gtest/gtest.h>

#include <cstdlib>

#include "resources/resource_ids.h"
#include "settings/field_codec.h"
#include "settings/settings_format.h"
#include "tests/wine/harness.h"
#include "tests/wine/simulator_client.h"

using namespace kivo_test;

namespace {

struct Fields {
    std::string host, ip, user, password;
    bool autoUpdate = false;

    bool operator==(const Fields& other) const {
        return host == other.host && ip == other.ip && user == other.user &&
               password == other.password && autoUpdate == other.autoUpdate;
    }
};

std::ostream& operator<<(std::ostream& out, const Fields& fields) {
    return out << "{" << fields.host << ", " << fields.ip << ", " << fields.user << ", "
               << fields.password << ", " << (fields.autoUpdate ? "auto" : "manual") << "}";
}

void Fill(KivoRun& kivo, const Fields& fields) {
    kivo.SetText(IDC_HOST_FIELD, fields.host);
    kivo.SetText(IDC_IP_FIELD, fields.ip);
    kivo.SetText(IDC_USER_FIELD, fields.user);
    kivo.SetText(IDC_PASSWORD_FIELD, fields.password);
    kivo.SetChecked(IDC_AUTO_UPDATE_BOX, fields.autoUpdate);
}

Fields Shown(KivoRun& kivo) {
    return {kivo.Text(IDC_HOST_FIELD), kivo.Text(IDC_IP_FIELD), kivo.Text(IDC_USER_FIELD),
            kivo.Text(IDC_PASSWORD_FIELD), kivo.IsChecked(IDC_AUTO_UPDATE_BOX)};
}

// " 关 ", then the closing notice; the process must end normally.
void CloseNormally(KivoRun& kivo) {
    kivo.Click(IDC_CLOSE_LABEL);
    const MessageBoxSeen box = kivo.WaitBox();
    EXPECT_EQ(box.caption, "提示");
    kivo.CloseBox(box);
    DWORD code = 99;
    ASSERT_TRUE(kivo.WaitExit(10000, &code));
    EXPECT_EQ(code, 0u);
}

// Starts Kivo, types the fields, closes it and hands back the settings file it wrote.
std::string SaveWith(const Fields& fields, const KivoOptions& options = {},
                     const std::string& settingsName = "kivo.Lr") {
    KivoRun kivo(options);
    kivo.Start();
    Fill(kivo, fields);
    CloseNormally(kivo);
    EXPECT_TRUE(FileExists(kivo.Folder() + settingsName)) << settingsName;
    return ReadFileBytes(kivo.Folder() + settingsName);
}

// A fresh start with this settings file beside the executable; the window is up.
void StartWithSettings(KivoRun& kivo, const std::string& settingsName, const std::string& bytes) {
    WriteFileBytes(kivo.Folder() + settingsName, bytes);
    kivo.Start();
    kivo.Main();
}

std::vector<std::string> CrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t end = bytes.find("\r\n"); end != std::string::npos; end = bytes.find("\r\n", at)) {
        lines.push_back(bytes.substr(at, end - at));
        at = end + 2;
    }
    EXPECT_EQ(at, bytes.size()) << "the last line must end in CR LF";
    return lines;
}

std::string DecodedLine(const std::string& line) {
    EXPECT_EQ(line.find_first_not_of("0123456789ABCDEF"), std::string::npos) << line;
    const auto bytes = HexDecode(line);
    return bytes ? XorScramble(*bytes) : std::string();
}

// Noise: 0 to 999998 in decimal, no sign, no leading zero.
bool IsNoise(const std::string& digits) {
    if (digits.empty() || digits.size() > 6) return false;
    if (digits.find_first_not_of("0123456789") != std::string::npos) return false;
    if (digits.size() > 1 && digits[0] == '0') return false;
    return std::atoi(digits.c_str()) <= 999998;
}

// N1 + key + value + tail + N2.
void ExpectNoisyLine(const std::string& line, const std::string& key, const std::string& value,
                     const std::string& tail) {
    const size_t keyAt = line.find(key);
    ASSERT_NE(keyAt, std::string::npos) << line;
    EXPECT_TRUE(IsNoise(line.substr(0, keyAt))) << line;
    const std::string middle = key + value + tail;
    EXPECT_EQ(line.substr(keyAt, middle.size()), middle);
    EXPECT_TRUE(IsNoise(line.substr(keyAt + middle.size()))) << line;
}

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// The "Application Error" box of the last-resort handler, then exit code 1.
void ExpectApplicationErrorExit(KivoRun& kivo, const std::string& message) {
    const MessageBoxSeen box = kivo.WaitBox();
    EXPECT_EQ(box.caption, "Application Error");
    const std::string head = "Exception EInOutError in module kivo.exe at ";
    ASSERT_EQ(box.text.substr(0, head.size()), head) << box.text;
    const std::string address = box.text.substr(head.size(), 8);
    EXPECT_EQ(address.find_first_not_of("0123456789ABCDEF"), std::string::npos) << box.text;
    EXPECT_NE(address, "00000000");
    EXPECT_EQ(box.text.substr(head.size() + 8), ".\r\n" + message + ".\r\n");
    kivo.CloseBox(box);
    DWORD code = 99;
    ASSERT_TRUE(kivo.WaitExit(10000, &code));
    EXPECT_EQ(code, 1u);
}

BOOL CALLBACK FindVisibleMainDialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<std::pair<DWORD, bool>*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->first && IsWindowVisible(window) && GetDlgItem(window, IDC_STATUS_LINE)) {
        search->second = true;
    }
    return TRUE;
}

bool MainDialogVisible(DWORD processId) {
    std::pair<DWORD, bool> search = {processId, false};
    EnumWindows(FindVisibleMainDialog, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

const Fields Everything = {"kivo.example.com", "192.168.100.200", "用户 name", "排p@ss w0rd!",
                           false};

}  // namespace

TEST(SettingsFile, SaveThenStartAgainRestoresEveryField) {
    const std::string saved = SaveWith(Everything);
    KivoRun kivo;
    StartWithSettings(kivo, "kivo.Lr", saved);
    EXPECT_EQ(Shown(kivo), Everything);
    EXPECT_TRUE(kivo.VisibleBoxes().empty());
}

TEST(SettingsFile, SavedFileHoldsHeaderNoisyEncodedLinesAndCredit) {
    const Fields fields = {"a.b", "1.2.3.4", std::string(300, 'u'), "pw", true};
    const std::vector<std::string> lines = CrLfLines(SaveWith(fields));
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], SettingsHeaderLine);
    EXPECT_EQ(lines[0].size(), 16u);
    ExpectNoisyLine(DecodedLine(lines[1]), "Host=", "a.b", "|");
    ExpectNoisyLine(DecodedLine(lines[2]), "myIP=", "1.2.3.4", "|");
    ExpectNoisyLine(DecodedLine(lines[3]), "Name=", std::string(254, 'u'), "|");  // 255-byte read
    ExpectNoisyLine(DecodedLine(lines[4]), "Pwd=", "pw", "|");
    ExpectNoisyLine(DecodedLine(lines[5]), "Auto=True", "", "");
    EXPECT_EQ(lines[6], "");
    EXPECT_EQ(lines[7], "");
    EXPECT_EQ(lines[8], SettingsCreditLine);
}

TEST(SettingsFile, AllEmptySaveGivesFourLines) {
    EXPECT_EQ(SaveWith({}),
              std::string(SettingsHeaderLine) + "\r\n\r\n\r\n" + SettingsCreditLine + "\r\n");
}

// LF and CR LF line ends, a lone CR, a plain typed line, an encoded line whose password
// holds "Host=", and everything after a Ctrl-Z ignored.
TEST(SettingsFile, HonoursPlainLinesAndTheReadingRules) {
    KivoRun kivo;
    StartWithSettings(kivo, "kivo.Lr",
                      std::string(SettingsHeaderLine) + "\n" + "Name=typed\r user|\r\n" +
                          EncodeSettingsLine("77Pwd=secretHost=abcd.efghi|8") + "\n" +
                          "myIP=10.0.0.1|\x1A" + "Pwd=after-the-end|\r\n");
    EXPECT_EQ(Shown(kivo), (Fields{"abcd.efghi", "10.0.0.1", "typed user", "", false}));
}

TEST(SettingsFile, ADirectoryAtTheSettingsPathIsIgnoredByTheLoad) {
    KivoRun kivo;
    ASSERT_TRUE(CreateDirectoryA((kivo.Folder() + "kivo.Lr").c_str(), nullptr));
    kivo.Start();
    kivo.Main();
    EXPECT_EQ(Shown(kivo), Fields{});
    EXPECT_TRUE(kivo.VisibleBoxes().empty());
}

TEST(SettingsPath, UpperCaseExecutableNameGivesLowerCaseLrFile) {
    const KivoOptions options = {"DDNS.EXE", ""};
    const std::string saved = SaveWith(Everything, options, "ddns.Lr");
    KivoRun kivo(options);
    StartWithSettings(kivo, "ddns.Lr", saved);
    EXPECT_EQ(Shown(kivo), Everything);
    EXPECT_EQ(NamesIn(kivo.Folder()), (std::vector<std::string>{"DDNS.EXE", "ddns.Lr"}));
}

// Regression: every ".exe" of the path was replaced, so the settings of this program went
// to 'app.Lr.d\x.Lr', a folder that does not exist, and closing it crashed.
TEST(SettingsPath, ExeInAFolderNameKeepsTheFileBesideTheProgram) {
    const KivoOptions options = {"app.exe.d\\x.exe", ""};
    const std::string saved = SaveWith(Everything, options, "app.exe.d\\x.Lr");
    KivoRun kivo(options);
    StartWithSettings(kivo, "app.exe.d\\x.Lr", saved);
    EXPECT_EQ(Shown(kivo), Everything);
    EXPECT_EQ(NamesIn(kivo.Folder()), std::vector<std::string>{"app.exe.d"});
}

// Regression: lower-casing every byte turned the trail byte 0x41 of "丄" (0x81 0x41) into
// 0x61, naming a folder that does not exist.
TEST(SettingsPath, DoubleByteFolderNameIsKept) {
    const KivoOptions options = {"丄\\kivo.exe", ""};
    const std::string saved = SaveWith(Everything, options, "丄\\kivo.Lr");
    KivoRun kivo(options);
    StartWithSettings(kivo, "丄\\kivo.Lr", saved);
    EXPECT_EQ(Shown(kivo), Everything);
}

// Regression: the save truncated the old file first, so a save that failed part-way lost
// the settings. Now a save that cannot be completed leaves the old file as it was.
TEST(SettingsSaveFailure, FileHeldOpenByAnotherProgramKeepsItsBytes) {
    KivoRun kivo;
    const std::string settings = kivo.Folder() + "kivo.Lr";
    const std::string old = std::string(SettingsHeaderLine) + "\r\nHost=old.example|\r\nxyz\x1A";
    StartWithSettings(kivo, "kivo.Lr", old);
    Fill(kivo, Everything);
    // A viewer that shares reading only: the file cannot be replaced meanwhile.
    HANDLE viewer = CreateFileA(settings.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    kivo.Click(IDC_CLOSE_LABEL);
    ExpectApplicationErrorExit(kivo, "File access denied");
    CloseHandle(viewer);
    EXPECT_EQ(ReadFileBytes(settings), old);
    EXPECT_EQ(NamesIn(kivo.Folder()), (std::vector<std::string>{"kivo.exe", "kivo.Lr"}));
}

TEST(SettingsSaveFailure, DirectoryAtTheSettingsPathGivesTheErrorBoxAndNoStrayFile) {
    KivoRun kivo;
    ASSERT_TRUE(CreateDirectoryA((kivo.Folder() + "kivo.Lr").c_str(), nullptr));
    kivo.Start();
    Fill(kivo, Everything);
    kivo.Click(IDC_CLOSE_LABEL);
    ExpectApplicationErrorExit(kivo, "File access denied");
    EXPECT_EQ(NamesIn(kivo.Folder()), (std::vector<std::string>{"kivo.exe", "kivo.Lr"}));
    EXPECT_TRUE(NamesIn(kivo.Folder() + "kivo.Lr\\").empty());
}

// A file that cannot be opened stops the start with the error box; no window is shown.
TEST(SettingsLoadFailure, LockedFileGivesTheErrorBoxBeforeTheWindow) {
    KivoRun kivo;
    const std::string settings = kivo.Folder() + "kivo.Lr";
    WriteFileBytes(settings, "Host=x|\r\n");
    HANDLE holder =
        CreateFileA(settings.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    kivo.Start();
    ExpectApplicationErrorExit(kivo, "I/O error 32");
    CloseHandle(holder);
}

class SettingsAutoUpdate : public ::testing::Test {
protected:
    void SetUp() override { SimReset(); }
    void TearDown() override { SimReset(); }
};

// The stored flag runs one update inside the start-up, before the window is first shown:
// while the provider's answer is still on its way, no window of Kivo is visible.
TEST_F(SettingsAutoUpdate, StoredFlagRunsOneUpdateBeforeTheWindowIsShown) {
    const Fields demo = {SimDemoHost, "", SimDemoUser, SimDemoPassword, true};
    const KivoOptions options = {"kivo.exe", SimulatorProxy()};
    const std::string saved = SaveWith(demo, options);
    EXPECT_TRUE(SimRequests().empty()) << "closing must not update";

    SimAnswerInPieces({"good 10.9", ".8.7"}, 1500);
    KivoRun kivo(options);
    WriteFileBytes(kivo.Folder() + "kivo.Lr", saved);
    kivo.Start();
    ASSERT_TRUE(WaitFor([] { return SimRequests().size() == 1; }, 10000));
    EXPECT_FALSE(WaitFor([&] { return MainDialogVisible(kivo.ProcessId()); }, 700))
        << "the window appeared while the update was still waiting for its answer";
    kivo.Main();
    EXPECT_EQ(kivo.Text(IDC_STATUS_LINE), "恭喜您,您的域名更新成功,当前IP为:10.9.8.7");
    EXPECT_EQ(Shown(kivo), demo);
    EXPECT_EQ(SimRequests().size(), 1u);
}

// Each auto-update line runs with the fields loaded so far: placed first, it meets an
// empty domain, and its warning appears before the window.
TEST_F(SettingsAutoUpdate, UpdateSeesOnlyTheFieldsLoadedBeforeItsLine) {
    KivoRun kivo({"kivo.exe", SimulatorProxy()});
    WriteFileBytes(kivo.Folder() + "kivo.Lr", EncodeSettingsLine("1Auto=True2") + "\r\n" +
                                                  EncodeSettingsLine("3Host=home.kivo.example|4") +
                                                  "\r\n");
    kivo.Start();
    const MessageBoxSeen box = kivo.WaitBox();
    EXPECT_EQ(box.caption, "警告:");
    EXPECT_EQ(box.text, "您的 域名 输入不正确,请检查后在尝试更新操作!   ");
    EXPECT_FALSE(MainDialogVisible(kivo.ProcessId()));
    kivo.CloseBox(box);
    kivo.Main();
    EXPECT_EQ(kivo.Text(IDC_HOST_FIELD), "home.kivo.example");
    EXPECT_TRUE(kivo.IsChecked(IDC_AUTO_UPDATE_BOX));
    EXPECT_TRUE(SimRequests().empty());
}
