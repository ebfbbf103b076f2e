// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "ekb.h"
#include "ekf.h"
#include "platform.h"
#include "version_f.h"

void Ekf::mHelp_Click(int Index)
{
    if (Index < 0)
        return;
    if (Index == 0 || Index == 1) {
        m_platform.beep();
        // No title of its own: the box carries the program's.
        m_platform.msgBox(tr("工事中☆　しばらくお待ちください(__;)"), MsgBox::Critical, QString());
    } else if (Index == 3) {
        if (!m_versionF)
            m_versionF = std::make_unique<VersionF>();
        m_versionF->Dsp(this, kProgramName, kProgramVersion);
    }
}
