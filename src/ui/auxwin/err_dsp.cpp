// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "err_dsp.h"

#include "db_error.h"
#include "fault_number.h"
#include "platform.h"

#include <climits>

void ErrDsp(Platform& platform, long long iErr)
{
    const bool fits = iErr >= INT_MIN && iErr <= INT_MAX;
    ErrDsp(platform, iErr, fits ? errorText(int(iErr)) : errorText(0));
}

void ErrDsp(Platform& platform, long long iErr, const QString& sPrompt)
{
    platform.setMousePointer(Pointer::Arrow);
    platform.beep();
    platform.msgBox(sPrompt, MsgBox::Critical, errorTitle(iErr));
}

void reportDbError(Platform& platform, const DbError& e)
{
    ErrDsp(platform, faultNumber(e.fault()), describeDbError(e));
}
