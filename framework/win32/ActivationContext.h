#pragma once
// The plug-in's own activation context: its manifest asks for the version 6 common controls,
// which a host's manifest may not. Windows created while it is active get the modern look.

#include <windows.h>

class TActivationScope {
public:
    // Activates the manifest with resource id manifestId of module; does nothing when there is
    // none, so the controls fall back to the classic look.
    TActivationScope(HMODULE module, int manifestId);
    TActivationScope(const TActivationScope&) = delete;
    TActivationScope& operator=(const TActivationScope&) = delete;
    ~TActivationScope();

    bool Active() const { return Cookie != 0; }

private:
    HANDLE Context = INVALID_HANDLE_VALUE;
    ULONG_PTR Cookie = 0;
};
