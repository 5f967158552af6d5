#pragma once
// The two option values handed between the device page screen and the
// options window.
struct ZelOptionStates
{
    bool debugDevicesLoaded = false; // the debug devices were loaded in this run
    bool linkTestEnabled = false;    // the details page offers the link test
};
