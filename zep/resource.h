// Resource names shared by the resource script and the code.
#pragma once

// In the order of zep::TrayPicture.
#define ZEP_ICON_DISCONNECT L"IconDisconnect"
#define ZEP_ICON_CONNECT L"IconConnect"
#define ZEP_ICON_DISCONNECT_DATA L"IconDisconnectData"
#define ZEP_ICON_CONNECT_DATA L"IconConnectData"

#ifndef RC_INVOKED
inline constexpr const wchar_t* kIconResourceNames[] = {ZEP_ICON_DISCONNECT, ZEP_ICON_CONNECT,
                                                        ZEP_ICON_DISCONNECT_DATA, ZEP_ICON_CONNECT_DATA};
#endif
