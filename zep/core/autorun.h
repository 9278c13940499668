// The autorun table as the settings window shows and edits it: list lines, add, edit, toggle and
// delete, the editor's default name, files dropped on the editor and "sendcmd.exe" shortcuts.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings.h"

namespace zep {

using AutorunTable = std::array<TAutorunType, kAutorunCount>;

inline constexpr char kWindowCommand[] = "WM_COMMAND";

// Entries in use: the slots before the first one without a name.
int AutorunCount(const AutorunTable& t);
bool AutorunFull(const AutorunTable& t);
// "○：" or "×：", then "自：" or "毎：", then the name as shown.
std::u16string AutorunLine(const TAutorunType& e, const std::u16string& shownName);
// The name the editor offers for a new entry: "設定" and the number of entries present.
std::u16string DefaultEntryName(int count);

// Writes an entry saved in the editor into `slot` (an existing one, or the first free one).
// It counts as started for the connection that is up now. False when nothing is stored: an
// empty name, a full table, or a slot beyond the entries in use.
bool StoreAutorunEntry(AutorunTable& t, int slot, TAutorunType entry);
void ToggleAutorunEntry(AutorunTable& t, int slot);
// Removes the entry; the following ones move up by one slot.
void DeleteAutorunEntry(AutorunTable& t, int slot);

// A window command's number: hexadecimal digits without prefix, at most 32 bits.
std::optional<uint32_t> WindowCommandNumber(const std::string& work);
// Whether a saved entry is a window command that can never be posted (its user is told).
bool IsUnpostableWindowCommand(const TAutorunType& e);

// What a dropped file puts into the editor. `parameter` only for a window command.
struct EditorFill {
    std::string fileName;
    std::optional<std::string> parameter;
    std::string work;
};
bool IsShortcutFile(const std::string& path);  // extension ".lnk", any case
EditorFill FillFromDroppedFile(const std::string& path);
// A dropped shortcut, with the target path and the argument string read from it.
EditorFill FillFromShortcut(const std::string& shortcutPath, const std::string& targetPath,
                            const std::string& arguments);

// The arguments of a "sendcmd.exe" shortcut: the window class and the command number.
struct WindowCommandArgs {
    std::string className, command;
};
WindowCommandArgs SplitSendcmdArguments(const std::string& arguments);

}  // namespace zep
