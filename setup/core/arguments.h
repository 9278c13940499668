// setup's command line: one command word ("uninstall", "remove", "reboot") and the switches of an
// unattended deployment.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace setup {

struct Arguments {
    std::wstring word;              // the command word; empty for a normal start
    bool silent = false;            // /S: no window, no box, nothing waits for a person
    std::wstring installFolder;     // /D=<folder>: the rest of the line, blanks included
    std::wstring logFile;           // /LOG=<file>
    bool noRestart = false;         // /NORESTART: never restart
    bool restart = false;           // /RESTART: a silent run restarts when a restart is needed
    bool accept = false;            // /ACCEPT: the agreement counts as accepted in a silent run
    bool help = false;              // /?
    std::vector<std::wstring> unknown;  // switches setup does not know, as written
};

// Splits the text after the program's name. Switches start with "/" or "-" and compare without
// regard to case; a value may be quoted ("/LOG=C:\my logs\a.log" or /LOG="C:\my logs\a.log").
// /D= takes everything up to the end of the line, as deployment tools pass it: unquoted, blanks
// included, so it comes last. The first word that is no switch is the command word.
Arguments ParseArguments(std::wstring_view text);

// Whether a run that ends needing a restart restarts the computer now without asking: only a
// silent run asked to by /RESTART, never with /NORESTART.
bool RestartsUnasked(const Arguments& arguments, bool restartNeeded);

// Whether a run stops before anything is done because nobody can accept the agreement it shows
// (`agreement`): a silent run without /ACCEPT.
bool StopsAtAgreement(const Arguments& arguments, bool agreement);

// The name of the mutex that lets one setup run at a time for the product `productName`, in this
// session's namespace; the same for every copy and version of setup.
std::wstring SingleSetupName(std::wstring_view productName);

}  // namespace setup
