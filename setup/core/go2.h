// The programs and library entry points a distribution runs after installation ("Make") and at the
// start of removal ("Erase"): Go2 entries "target;entry;option".
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "profile.h"
#include "system.h"
#include "texts.h"

namespace setup {

struct Go2Entry {
    std::wstring target, entry, option;
};
Go2Entry SplitGo2Entry(const std::wstring& text);

// A command line as the file to start and its parameters; a quoted file keeps its quotes.
struct CommandLine {
    std::wstring file, parameters;
};
CommandLine SplitCommandLine(const std::wstring& text);

enum class ShowState { Normal, Hidden, Minimized, Maximized };
ShowState ShowStateFor(const std::wstring& option);

// The file a library entry loads: a full path ("C:\..." or "\\server\...") as it is, a bare file
// name from the system folder; none for any other relative path, which the system would look for
// in folders others may write (the current folder, PATH).
std::optional<std::wstring> LibraryFile(const std::wstring& target, System& system);

// How a library is loaded: to call an entry of it, or only to see that it is one ("#CheckExist":
// mapped as data, so none of its code runs).
enum class LibraryUse { Call, Inspect };

// How long removal waits, in all, for the programs its "Erase" command lines started before it
// deletes files: a program told to quit writes its settings as it ends, and deleted files must not
// come back. "Make" programs are not waited for.
inline constexpr uint32_t kEraseWaitMs = 30000;

// What running the entries needs of the system.
class Go2Host {
public:
    using Library = uintptr_t;  // 0: did not load
    virtual ~Go2Host() = default;
    virtual Library Load(const std::wstring& path, LibraryUse use) = 0;
    virtual bool CallEntry(Library library, const std::wstring& name) = 0;  // false: no such entry
    virtual void Release(Library library) = 0;
    virtual bool Execute(const std::wstring& file, const std::wstring& parameters, ShowState show) = 0;
    // Waits until every program Execute started has ended, `timeoutMs` at most in all.
    virtual void WaitForStarted(uint32_t timeoutMs) = 0;
    virtual void ReportLaunchFailure(const std::wstring& file) = 0;
    virtual void ReportList(const std::wstring& text) = 0;
};

// The Go2 entries run after an installation (Make0, Make1, ...) or at the start of a removal (Erase0, ...).
enum class Go2Kind { Make, Erase };

// Runs the Go2 entries of `kind`; after the Erase entries waits for the programs started; then
// reports what failed.
void RunGo2(Profile& ini, System& system, Go2Host& host, const Texts& texts, Go2Kind kind);

}  // namespace setup
