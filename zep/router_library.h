// The binding of the router maker's interface library, MRLExhibits.dll, beside the program or in
// the system folder.
#pragma once
#include <windows.h>

#include <cstdint>

namespace zep {

// The record through which the library reports back: the window and the message to post.
struct NotifyTarget {
    HWND window;
    UINT message;
};
#ifndef _WIN64
static_assert(sizeof(NotifyTarget) == 8, "the library expects an 8-byte notify record");
#endif

class MrlLibrary {
public:
    using FindFn = int32_t(__stdcall*)(NotifyTarget*, int32_t);
    using GetInformationFn = int32_t(__stdcall*)(void* buffer, uint32_t* unused);
    using LineFn = int32_t(__stdcall*)(NotifyTarget*, void* buffer, int32_t);
    using GetConditionFn = int32_t(__stdcall*)(void* buffer, int32_t);
    using ChangeSiteFn = int32_t(__stdcall*)(void* buffer, int32_t, int32_t destination);

    // Loads the library and binds all seven exports, or none.
    void Bind();
    bool bound() const { return bound_; }

    FindFn Find = nullptr;
    GetInformationFn GetInformation = nullptr;
    LineFn Connect = nullptr;
    LineFn Disconnect = nullptr;
    GetConditionFn GetCondition = nullptr;
    ChangeSiteFn ChangeSite = nullptr;

private:
    HMODULE module_ = nullptr;
    bool bound_ = false;
};

}  // namespace zep
