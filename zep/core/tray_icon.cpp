#include "tray_icon.h"

#include "controller_state.h"
#include "texts_ja.h"
#include "tray_menus.h"

namespace zep {

void TrayIcon::UpdateTrayIcon() {
    ShowTrayTip(text::kAppTitle);
    ShowTrayPicture(state_.Connected ? (state_.SyslogHeard ? TrayPicture::ConnectData : TrayPicture::Connect)
                                     : (state_.SyslogHeard ? TrayPicture::DisconnectData : TrayPicture::Disconnect));
    shell_.SetTrayIconVisible(true);
}

// The tray is touched only when what it shows changes: every router line runs UpdateTrayIcon, and
// each change is a round trip to the notification area.
void TrayIcon::ShowTrayTip(const std::u16string& tip) {
    if (shownTip_ == tip) return;
    shownTip_ = tip;  // a refused tip comes with the icon that the blink adds anew
    if (!shell_.SetTrayTip(tip)) BlinkTrayIcon();
}

void TrayIcon::ShowTrayPicture(TrayPicture picture) {
    if (shownPicture_ == picture) return;
    shownPicture_ = picture;
    shell_.SetTrayPicture(picture);
}

void TrayIcon::BlinkTrayIcon() {
    if (blinking_) return;  // the icon is being added anew already
    RunningWait running(blinking_);
    shell_.SetTrayIconVisible(false);
    shell_.WaitMs(500);
    shell_.SetTrayIconVisible(true);
}

void TrayIcon::EnableAddressCopy(bool enabled) {
    menus_.Item(kTrayIP).enabled = enabled;
    shell_.SetTimePanelCopyEnabled(enabled);
}

void TrayIcon::TrayIPClick() {
    if (!state_.WanIP.empty()) shell_.CopyToClipboard(state_.WanIP);
}

}  // namespace zep
