// Change notifications on a directory: a handle that is signalled when an entry of the
// directory changes as its filter asks (not for changes inside its subdirectories).
//
// One inotify instance serves the process, with one watch per watched directory shared
// by the handles on it; events are collected whenever a handle is waited on or re-armed.
// The handle is waited on with WaitForSingleObject (process.h) and stays signalled until
// FindNextChangeNotification.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

constexpr DWORD FILE_NOTIFY_CHANGE_FILE_NAME = 0x1;
constexpr DWORD FILE_NOTIFY_CHANGE_DIR_NAME = 0x2;
constexpr DWORD FILE_NOTIFY_CHANGE_ATTRIBUTES = 0x4;
constexpr DWORD FILE_NOTIFY_CHANGE_SIZE = 0x8;
constexpr DWORD FILE_NOTIFY_CHANGE_LAST_WRITE = 0x10;
constexpr DWORD FILE_NOTIFY_CHANGE_LAST_ACCESS = 0x20;
constexpr DWORD FILE_NOTIFY_CHANGE_CREATION = 0x40;
constexpr DWORD FILE_NOTIFY_CHANGE_SECURITY = 0x100;

// Watches the directory name for the changes filter names: the names of files (made,
// deleted, renamed) or of directories, attributes and security (mode, owner, times set),
// size and last write (a write), last access, creation. INVALID_HANDLE_VALUE with:
// ERROR_NOT_SUPPORTED when watch_subtree is set (subtrees are not watched),
// ERROR_INVALID_PARAMETER for a filter without any of these bits or a null name,
// ERROR_NOT_ENOUGH_QUOTA when the system has no watch left, the path model's reasons
// (ERROR_PATH_NOT_FOUND for a name that is no directory). Consults the fault facility
// (fault.h) with the name.
HANDLE FindFirstChangeNotificationA(const char* name, BOOL watch_subtree, DWORD filter);
HANDLE FindFirstChangeNotificationW(const WCHAR* name, BOOL watch_subtree, DWORD filter);

// Re-arms the handle: it is no longer signalled until the next change.
BOOL FindNextChangeNotification(HANDLE handle);

// Ends the watch; ERROR_INVALID_HANDLE for anything but a change-notification handle.
BOOL FindCloseChangeNotification(HANDLE handle);

// For WaitForSingleObject: whether handle is an open change notification, and the wait
// on one (WAIT_OBJECT_0 when signalled, WAIT_TIMEOUT, WAIT_FAILED).
bool w32_is_change_notification(HANDLE handle);
DWORD w32_wait_change_notification(HANDLE handle, DWORD milliseconds);

}  // namespace w32
