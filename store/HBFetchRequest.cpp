// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBFetchRequest.h"

HBFetchRequest HBFetchRequest::fetchRequestWithEntityName(const QString &name, bool *ok)
{
    HBFetchRequest request;
    const HBEntityDescription *description = HBEntityDescription::named(name);
    if (description)
        request.entity = description->entity;
    if (ok)
        *ok = description != nullptr;
    return request;
}
