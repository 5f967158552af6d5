#pragma once
// Version of the application, shown in the start banner.
#define ZEL_VERSION_TEXT "1.07"
