#include "tray_menus.h"

#include <stdexcept>
#include <utility>

#include "texts_ja.h"

namespace zep {

std::u16string CutTrayTip(const std::u16string& tip) { return tip.substr(0, kTrayTipLimit); }

TrayMenus::TrayMenus() {
    auto radio = [](int id, const char16_t* caption, bool visible) {
        TrayMenuItem item{id, caption};
        item.radio = true;
        item.visible = visible;
        return item;
    };
    right = {
        radio(kTrayConnect, text::kTrayConnect, true),
        radio(kTrayConnect2, text::kTrayConnect2, false),
        radio(kTrayConnect3, text::kTrayConnect3, false),
        radio(kTrayConnect4, text::kTrayConnect4, false),
        {kTrayDisconnect, text::kTrayDisconnect},
        {},
        {kTraySettingL, text::kTraySetting},
        {kTrayIP, text::kTrayIP, true, false},
        {},
        {kTrayAbout, text::kTrayAbout},
        {kTrayExit, text::kTrayExit},
    };
    left = {
        {kTraySetting, text::kTraySetting},
        {},
        {kTrayAILog, text::kTrayAILog},
        {kTrayEasyLog, text::kTrayEasyLog},
        {kTraySyslog, text::kTraySyslog},
    };
}

const TrayMenuItem& TrayMenus::Item(int id) const {
    for (auto* menu : {&right, &left})
        for (const TrayMenuItem& item : *menu)
            if (item.id == id && id != kMenuSeparator) return item;
    throw std::out_of_range("no tray menu item with this id");
}

TrayMenuItem& TrayMenus::Item(int id) { return const_cast<TrayMenuItem&>(std::as_const(*this).Item(id)); }

}  // namespace zep
