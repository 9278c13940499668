// The two tray menus as data: the window layer builds the real menus from this at each popup;
// and the tray's tip.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace zep {

enum TrayCommand : int {
    kTrayConnect = 101,  // tags 1..4 map to kTrayConnect + tag - 1
    kTrayConnect2,
    kTrayConnect3,
    kTrayConnect4,
    kTrayDisconnect,
    kTraySettingL,
    kTrayIP,
    kTrayAbout,
    kTrayExit,
    kTraySetting,
    kTrayAILog,
    kTrayEasyLog,
    kTraySyslog,
    kMenuSeparator = 0,
};

// The tray cuts every tip to this many characters.
inline constexpr size_t kTrayTipLimit = 62;
std::u16string CutTrayTip(const std::u16string& tip);

struct TrayMenuItem {
    int id = kMenuSeparator;
    std::u16string caption;
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    bool radio = false;
    bool IsSeparator() const { return id == kMenuSeparator; }
};

struct TrayMenus {
    std::vector<TrayMenuItem> right;  // TrayRBPopup
    std::vector<TrayMenuItem> left;   // TrayLBPopup

    TrayMenus();
    TrayMenuItem& Item(int id);
    const TrayMenuItem& Item(int id) const;
    // The connect item for destination tag 1..4.
    TrayMenuItem& ConnectItem(int tag) { return Item(kTrayConnect + tag - 1); }
    const TrayMenuItem& ConnectItem(int tag) const { return Item(kTrayConnect + tag - 1); }
};

}  // namespace zep
