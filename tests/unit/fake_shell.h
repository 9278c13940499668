// A shell with a virtual clock and an in-memory file system, for the controller's tests.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <string>
#include <vector>

#include "shell.h"
#include "tick_count.h"

namespace zep {

// An FTP server that agrees to everything except the command that begins with `refuse`. What the
// client sends goes to `log` as "ftp <command>" and "ftp [data <bytes>]".
class AgreeableFtpServer : public FtpTransport {
public:
    AgreeableFtpServer(std::vector<std::string>& log, const std::string& refuse, std::function<bool()> dataArrives)
        : log_(log), refuse_(refuse), dataArrives_(std::move(dataArrives)) {}

    bool Connect(const std::string&) override {
        pending_ = "220 ready\r\n";
        return true;
    }
    std::optional<std::string> Receive(uint32_t) override {
        if (pending_.empty()) return std::nullopt;
        return std::exchange(pending_, std::string());
    }
    bool Send(const std::string& bytes) override {
        const std::string command = bytes.substr(0, bytes.size() - 2);
        log_.push_back("ftp " + command);
        pending_ = !refuse_.empty() && command.rfind(refuse_, 0) == 0 ? "550 no\r\n" : ReplyTo(command);
        return true;
    }
    FtpTls StartTls() override {
        log_.push_back("ftp [tls]");
        return FtpTls::kUp;
    }
    std::optional<std::string> ListenForData() override { return "127,0,0,1,4,1"; }
    bool ConnectData(uint16_t port) override {
        log_.push_back("ftp [data connection to port " + std::to_string(port) + "]");
        return true;
    }
    bool SendData(const std::string& bytes, bool protect) override {
        log_.push_back((protect ? "ftp [tls data " : "ftp [data ") + bytes + "]");
        if (!dataArrives_()) return false;
        pending_ = "226 stored\r\n";
        return true;
    }
    void Close() override { log_.push_back("ftp [close]"); }

private:
    static std::string ReplyTo(const std::string& command) {
        for (auto [verb, reply] : {std::pair{"USER", "331 password"}, {"PASS", "230 in"}, {"PWD", "257 \"/\" here"},
                                   {"STOR", "150 go"}, {"QUIT", "221 bye"}, {"AUTH", "234 go"},
                                   {"EPSV", "229 passive (|||50000|)"}})
            if (command.rfind(verb, 0) == 0) return std::string(reply) + "\r\n";
        return "200 ok\r\n";
    }
    std::vector<std::string>& log_;
    std::string refuse_;
    std::function<bool()> dataArrives_;
    std::string pending_;
};

// A shell with a virtual clock: pumping messages advances time and runs the events due.
class FakeShell : public Shell {
public:
    uint32_t tick = 1000;
    LocalDateTime now{2026, 12, 8, 12, 0, 0};
    std::vector<std::string> log;
    std::vector<TrayPicture> pictures;
    bool refuseTip = false;
    bool trayVisible = false;
    std::vector<TopWindow> windows;
    std::vector<uintptr_t> closed;
    std::function<void()> onPump;  // runs once per pumped 100 ms, inside the wait that pumps
    int pumpDepth = 0;             // waits running one inside the other now, and at most
    int deepestPump = 0;
    std::map<std::string, std::string> files;  // path -> content
    std::set<std::string> lockedFiles;         // there, but reading them fails
    std::string failingFolder;                 // appends below it fail
    std::string clipboard;
    std::vector<std::u16string> boxes;
    std::vector<LocalDateTime> beforeConTimes;

    uint32_t TickCount() override { return tick; }
    LocalDateTime LocalNow() override { return now; }
    bool PumpMessages(const std::function<bool()>& done, std::optional<uint32_t> timeoutMs) override {
        struct Depth {
            int& depth;
            explicit Depth(int& d, int& deepest) : depth(d) { deepest = std::max(deepest, ++depth); }
            ~Depth() { --depth; }
        } depth(pumpDepth, deepestPump);
        const uint32_t start = tick;
        for (int guard = 0; guard < 100000; ++guard) {
            if (done()) return true;
            if (timeoutMs && ElapsedMs(tick, start) >= *timeoutMs) return false;
            tick += 100;
            if (pendingNotice) std::exchange(pendingNotice, nullptr)();
            if (onPump) onPump();
        }
        ADD_FAILURE() << "wait never ended";
        return false;
    }
    void SetTrayPicture(TrayPicture p) override { pictures.push_back(p); }
    void SetTrayIconVisible(bool v) override {
        trayVisible = v;
        log.push_back(v ? "tray+" : "tray-");
    }
    bool panelStaysOnTop = false;  // the panel's own "always on top" item
    void ShowTimePanel(bool top) override { log.push_back(top ? "panel-top" : "panel"); }
    void CloseTimePanel() override { log.push_back("panel-close"); }
    bool TimePanelStaysOnTop() override { return panelStaysOnTop; }
    void SetTimePanelCopyEnabled(bool) override {}
    void ShowSettingsWindow() override { log.push_back("settings window"); }
    void LoadSettings() override { log.push_back("load settings"); }
    void SettingsLoaded() override { log.push_back("settings loaded"); }
    void RouterAddressChanged() override { log.push_back("address " + routerAddressShown()); }
    std::function<std::string()> routerAddressShown = [] { return std::string(); };
    void RenameFile(const std::string& from, const std::string& to) override {
        log.push_back("rename " + from + " " + to);
        if (files.count(from)) files[to] = files[from], files.erase(from);
    }
    void PlaySoundFile(const std::string& f) override { log.push_back("sound " + f); }
    void CopyToClipboard(const std::string& t) override { clipboard = t; }
    LocaleFormats Locale() override { return LocaleFormats{}; }
    std::string ShortWeekdayName(int day) override { return "d" + std::to_string(day); }
    std::optional<std::u16string> AppendLine(const std::string& path, const std::string& line) override {
        if (path.rfind(failingFolder, 0) == 0 && !failingFolder.empty()) return u"cannot write";
        files[path] += line + "\r\n";
        return std::nullopt;
    }
    FileRead ReadWholeFile(const std::string& path) override {
        if (lockedFiles.count(path)) return {std::nullopt, u"used by another process"};
        auto it = files.find(path);
        if (it == files.end()) return {std::nullopt, u"not found"};
        return {it->second, {}};
    }
    std::optional<std::u16string> WriteWholeFile(const std::string& path, const std::string& bytes) override {
        files[path] = bytes;
        return std::nullopt;
    }
    std::string ProgramFolder() override { return "C:\\zep"; }
    void SaveBeforeConTime(const LocalDateTime& t) override { beforeConTimes.push_back(t); }
    void ShowBox(BoxKind, const std::u16string& text) override { boxes.push_back(text); }
    std::u16string FromAnsi(const std::string& t) override { return std::u16string(t.begin(), t.end()); }
    // Starting a program handles messages this long (a document's association can run a message
    // loop of its own before the call returns).
    uint32_t openPumpsMs = 0;
    void OpenProgram(const std::string& f, const std::string& p, const std::string& d) override {
        log.push_back("open " + f + " [" + p + "] in [" + d + "]");
        if (openPumpsMs) PumpMessages([] { return false; }, openPumpsMs);
    }
    void PostWindowCommand(const std::string& c, uint32_t command) override {
        log.push_back("command " + c + " " + std::to_string(command));
    }
    bool FileExists(const std::string& path) override { return files.count(path) > 0; }
    std::vector<TopWindow> TopLevelWindows() override { return windows; }
    void PostClose(uintptr_t h) override { closed.push_back(h); }
    // The router maker's library: the router search's result and the notice that follows it
    // (posted as the search returns, arriving at the next pump; none: no notice), the
    // information call's result and the record it leaves.
    bool libraryBound = true;
    int32_t findResult = 0;
    std::optional<int32_t> notice = 0;
    int32_t informationResult = 0;
    std::string informationRecord;
    std::function<void(int32_t)> postNotice;  // delivers a notice to the controller
    bool LibraryBound() override { return libraryBound; }
    int32_t LibraryFind() override {
        log.push_back("lib find");
        if (findResult >= 0 && notice && postNotice) {
            const int32_t n = *notice;
            pendingNotice = [this, n] { postNotice(n); };
        }
        return findResult;
    }
    std::function<void()> pendingNotice;
    int32_t LibraryGetInformation() override {
        log.push_back("lib information");
        libraryBuffer = informationRecord;
        return informationResult;
    }
    void LibraryConnect() override { log.push_back("lib connect"); }
    void LibraryDisconnect() override { log.push_back("lib disconnect"); }
    void PostExitRequest() override { log.push_back("exit"); }

    // Line commands and the timer.
    std::map<std::string, std::string> internalNames;  // path -> InternalName; absent: none
    std::map<std::u16string, int> windowClasses;       // class -> windows open
    LocalDateTime beforeConTime;                       // zero: the key is absent
    int32_t condition = 0;
    std::string libraryBuffer;
    bool answerYes = true;
    std::vector<std::u16string> questions;
    int menusChanged = 0;
    std::string panelText;
    std::vector<std::u16string> tips;
    // The countdown: each shown dialog takes the next answer (true: accepted), default accepted.
    // It counts its ten seconds on the virtual clock, pumping as the real one does.
    std::vector<bool> countdownAnswers;
    struct Countdown {
        uint32_t shownAt;
        std::u16string caption, message, accept;
    };
    std::vector<Countdown> countdowns;

    std::optional<std::string> VersionInternalName(const std::string& path) override {
        auto it = internalNames.find(path);
        if (it == internalNames.end()) return std::nullopt;
        return it->second;
    }
    bool TopWindowOfClassExists(const std::u16string& c) override {
        auto it = windowClasses.find(c);
        return it != windowClasses.end() && it->second > 0;
    }
    void SleepMs(uint32_t ms) override {
        tick += ms;
        if (onPump) onPump();
    }
    LocalDateTime ReadBeforeConTime(const LocalDateTime& n) override {
        return beforeConTime.IsZero() ? n : beforeConTime;
    }
    int32_t LibraryGetCondition() override {
        log.push_back("lib condition");
        return condition;
    }
    std::string LibraryBuffer() override { return libraryBuffer; }
    void LibraryChangeSite(int d) override { log.push_back("lib site " + std::to_string(d)); }
    bool AskYesNo(const std::u16string&, const std::u16string& text) override {
        questions.push_back(text);
        return answerYes;
    }
    void DestinationMenusChanged() override { ++menusChanged; }
    void SetTimePanelText(const std::string& t) override { panelText = t; }
    bool SetTrayTip(const std::u16string& tip) override {
        tips.push_back(tip);
        return !refuseTip;
    }
    void InformationBeep() override { log.push_back("beep"); }
    bool ShowCountdown(const std::u16string& caption, const std::u16string& message,
                       const std::u16string& accept) override {
        const size_t n = countdowns.size();
        countdowns.push_back({tick, caption, message, accept});
        log.push_back("countdown");
        const bool accepted = n < countdownAnswers.size() ? countdownAnswers[n] : true;
        // Cancelled at once, or accepted when the ten seconds are up.
        if (accepted) PumpMessages([] { return false; }, 10000);
        return accepted;
    }

    // Datagrams: peers and the router's clock.
    struct Datagram {
        uint32_t sentAt;
        std::string address, payload;
        friend bool operator==(const Datagram&, const Datagram&) = default;
    };
    std::vector<Datagram> peerDatagrams, timeRequests;
    std::vector<uint32_t> peerPauses;  // lengths asked for
    std::vector<UtcTime> clockSettings;
    void SendPeerDatagram(const std::string& address, const std::string& payload) override {
        peerDatagrams.push_back({tick, address, payload});
    }
    void StartPeerPause(uint32_t ms) override { peerPauses.push_back(ms); }
    void SendTimeRequest(const std::string& address, const std::string& request) override {
        timeRequests.push_back({tick, address, request});
    }
    uint64_t randomNumber = 0x0123456789ABCDEF;  // what the next request carries
    uint64_t RandomNumber() override { return randomNumber; }
    bool clockRefused = false;  // the user lacks the right to set the clock
    bool SetSystemClock(const UtcTime& utc) override {
        clockSettings.push_back(utc);
        return !clockRefused;
    }
    std::vector<std::u16string> notices;
    void ShowTrayNotice(const std::u16string&, const std::u16string& text) override { notices.push_back(text); }

    // FTP: the server refuses the command that begins with `ftpRefuse`; the page's bytes take
    // `uploadMs` on the line, with messages handled meanwhile as the client's waits do (onPump's
    // events arrive then); `whileUploading` runs after that and says whether they arrived.
    std::string ftpRefuse;
    uint32_t uploadMs = 0;
    std::function<bool()> whileUploading = [] { return true; };
    int ftpChanges = 0;
    std::unique_ptr<FtpTransport> OpenFtpTransport() override {
        return std::make_unique<AgreeableFtpServer>(log, ftpRefuse, [this] {
            if (uploadMs) PumpMessages([] { return false; }, uploadMs);
            return whileUploading();
        });
    }
    void FtpUploadChanged() override { ++ftpChanges; }
};

}  // namespace zep
