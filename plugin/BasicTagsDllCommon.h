// CBasicTagsDllCommon: the common base of basic-tag search plug-ins. It adds
// no fields and supplies slot 8 (OptionalSearch, not supported).
// Thread-safety: as its base; one thread at a time per object.
#pragma once

#include "plugin/CommonDllInterface.h"

class CBasicTagsDllCommon : public CCommonDllInterface<CBasicTagsDllInterface> {
public:
    // Slot 8: ignores its arguments and answers 0 (not supported).
    int OptionalSearch(int arg1, int arg2, int arg3, int arg4) override {
        (void)arg1;
        (void)arg2;
        (void)arg3;
        (void)arg4;
        return 0;
    }
};
