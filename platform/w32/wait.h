// Waiting for objects: processes and their main threads (process.h), threads of this
// process (thread.h) and named mutexes (mutex.h). WaitForSingleObject is declared in
// process.h.
//
// A wait looks at its objects in turn, at first often and then every 20 ms, against the
// real clock: what it waits for lies outside the layer's clock (other processes,
// threads). Both waits consult the fault facility (fault.h) under their names. The
// wait's start and the pauses between the looks are cancellation points (cancel.h); a
// thread ended there lets go of the objects, and takes no mutex on its way out.
#pragma once

#include "platform/w32/process.h"
#include "platform/w32/types.h"

namespace w32 {

// Waits until one of the count objects is signalled, for at most milliseconds: WAIT_OBJECT_0
// plus the index of the first one (a free mutex is taken for the calling thread;
// WAIT_ABANDONED_0 plus the index when its owner ended holding it), WAIT_TIMEOUT, or
// WAIT_FAILED with ERROR_INVALID_PARAMETER for no handles, ERROR_NOT_SUPPORTED for
// wait_all (not served), ERROR_INVALID_HANDLE when a handle is not one of those objects.
// There is no limit of 64 handles.
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL wait_all,
                             DWORD milliseconds);

}  // namespace w32
