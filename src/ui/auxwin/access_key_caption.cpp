// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include "access_key_caption.h"

AccessKeyCaption::AccessKeyCaption(const QString& caption)
{
    text.reserve(caption.size());
    for (qsizetype at = 0; at < caption.size(); ++at) {
        if (caption.at(at) == u'&' && at + 1 < caption.size()) {
            ++at;
            if (caption.at(at) != u'&')
                keys.append(text.size());
        }
        text.append(caption.at(at));
    }
}
