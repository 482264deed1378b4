// The error number several I2C adapters report for a missing acknowledge
// (EREMOTEIO), where the platform has one; elsewhere a number no call gives.
#pragma once

extern const int RemoteIoError;
