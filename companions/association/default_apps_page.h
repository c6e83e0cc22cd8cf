#pragma once

#include "shared/os_version.h"

namespace association {

// From Windows 8 on a program may not set the user's choice itself: the
// user is shown the system's page for default programs instead (the Settings
// app's default-apps page from Windows 10, the Default Programs dialog for
// this program before). Does nothing on older systems.
void OpenDefaultAppsPage(const companion::OsVersion& os);

}  // namespace association
