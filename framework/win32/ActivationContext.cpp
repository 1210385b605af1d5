#include "framework/win32/ActivationContext.h"

TActivationScope::TActivationScope(HMODULE module, int manifestId) {
    ACTCTXA request{};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.hModule = module;
    request.lpResourceName = MAKEINTRESOURCEA(manifestId);
    Context = CreateActCtxA(&request);
    if (Context == INVALID_HANDLE_VALUE) {
        return;
    }
    if (ActivateActCtx(Context, &Cookie) == FALSE) {
        Cookie = 0;
    }
}

TActivationScope::~TActivationScope() {
    if (Cookie != 0) {
        DeactivateActCtx(0, Cookie);
    }
    if (Context != INVALID_HANDLE_VALUE) {
        ReleaseActCtx(Context);
    }
}
