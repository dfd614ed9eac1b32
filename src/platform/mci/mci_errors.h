// Error numbers that MciSendString returns. 0 is success; every other value is one of
// these, numbered like the media control interface that the system was written for.
#pragma once

namespace vorel::platform::mci_error {

inline constexpr int kUnrecognizedKeyword = 259;    // a flag or item the command does not know
inline constexpr int kUnrecognizedCommand = 261;    // the first word is no command
inline constexpr int kInvalidDeviceName = 263;      // no media is open under that alias
inline constexpr int kMissingCommandString = 267;   // the command is empty
inline constexpr int kParamOverflow = 268;          // the reply did not fit the reply buffer
inline constexpr int kMissingStringArgument = 269;  // a flag lacks its word (type, alias, ...)
inline constexpr int kBadInteger = 270;             // a number was expected
inline constexpr int kMissingParameter = 273;       // the command lacks its item
inline constexpr int kUnsupportedFunction = 274;    // not possible in the current mode
inline constexpr int kFileNotFound = 275;           // the media could not be reached
inline constexpr int kDeviceNotReady = 276;         // the media did not answer in time
inline constexpr int kOutOfRange = 282;             // a position or level outside its range
inline constexpr int kFlagsNotCompatible = 284;     // flags that exclude each other
inline constexpr int kDuplicateAlias = 289;         // open under an alias already in use
inline constexpr int kMissingDeviceName = 292;      // the command names no alias
inline constexpr int kBadTimeFormat = 293;          // a time format other than milliseconds
inline constexpr int kNoClosingQuote = 294;         // a quoted word is not closed
inline constexpr int kDuplicateFlags = 295;         // the same flag twice
inline constexpr int kInvalidFile = 296;            // the media holds no playable audio
inline constexpr int kDeviceNotInstalled = 306;     // a device type or device that is not here

}  // namespace vorel::platform::mci_error
