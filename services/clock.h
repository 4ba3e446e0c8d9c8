// Wall-clock readings as OLE Automation dates.
#pragma once

// Fills buffer with the current local time as an OLE Automation date (days
// since 30 December 1899, time of day as the fraction) and returns it.
double* COleDateTimeGetCurrentTime(double* buffer);
