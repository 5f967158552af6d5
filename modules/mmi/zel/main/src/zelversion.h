#pragma once
// Version of the application, shown in the start banner.
#define ZEL_VERSION_TEXT "1.07"
#define ZEL_BUILD_NUMBER "41"
#define ZEL_BUILD_DATE "2017-04-26"
