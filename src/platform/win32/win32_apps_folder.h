// The real Applications folder, read through the shell namespace (COM).
#pragma once
#include "platform/apps_folder.h"

AppsFolder& win32_apps_folder();
