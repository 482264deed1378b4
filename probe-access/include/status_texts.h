// The texts of the dialog's status line: each poll and each write that gets past
// the file dialog sets exactly one of them.
#pragma once

namespace StatusText {

inline constexpr char CommunicationClosed[] = "Communication Closed";  // before the first poll
inline constexpr char SystemAvailable[] = "System Available";
inline constexpr char BridgeNotPresent[] = "I2C bridge not present";
inline constexpr char ProbeNotConnected[] = "Probe not connected";
inline constexpr char BusError[] = "I2C bus Error";
inline constexpr char LibraryError[] = "DLL Probe Error";
inline constexpr char ImageRefused[] = "CRC error";       // ProbeInit refused the image
inline constexpr char ParametersRefused[] = "CRC Error";  // ProbeGetParameters failed
inline constexpr char FileMissing[] = "File Missing";
inline constexpr char FileTooShort[] = "File No Correct";
inline constexpr char WritingSuccess[] = "Writing Success";
inline constexpr char WritingError[] = "Writing Error";

}  // namespace StatusText
