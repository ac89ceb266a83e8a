// The files beside a map document: the lock that marks it as being edited,
// and what the saving needs to know of the document's folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A lock younger than this (in days: 43.2 seconds) belongs to an editor
// that still has the document open; editors rewrite theirs every 30 s.
inline constexpr double kLockLifetimeDays = 0.0005;

// The moment as a day count since 30 December 1899, the fraction being the
// time of day (local time).
double DayCountNow();
// The first line of a lock: the day count with '.' as decimal separator and
// up to 15 significant digits, ended by CR LF.
std::string LockText(double dayCount);
// The day count of a lock's text: its first line as a number with '.' or
// ',' as decimal separator; nothing when it is no number.
std::optional<double> ParseLockText(const std::string &text);
// Whether a lock written at lockTime still holds at now: neither older than
// its lifetime nor more than its lifetime in the future (a clock that went
// wrong must not lock a document for ever).
bool LockIsFresh(double lockTime, double now);

// True for the statfs file system types of network file systems (NFS,
// SMB/CIFS, SMB2, NCP, Ceph, AFS, and FUSE, which carries sshfs and the
// other remote mounts).
bool IsNetworkFileSystemType(int64_t type);
// True when the folder lies on a network file system.
bool IsNetworkFolder(const std::string &folder);

// Why a map document could not be opened, told from its first bytes: the
// file cannot be read, or it does not begin as a map document, or it does
// and the rest is damaged. A sentence for the message that names the file.
std::string OpenFailureReason(const std::string &fileName);
