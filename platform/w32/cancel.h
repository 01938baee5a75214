// Ending threads safely. TerminateThread (thread.h) asks a thread to end at its next
// cancellation point: a wait, a sleep, a read. The layer's waits are such points, also
// when what they wait for is there already (a request made before one is acted on at its
// start, before it takes anything), and let go of what they hold when a thread ends in
// them. Everything else of the layer that makes a system call while it holds a lock, or
// while it is half-way through a change, holds cancellation off with a W32NoCancel for
// that stretch, so that no thread ends with a lock held (which would stop every later
// caller) or a count half made; the pending request is acted on at the thread's next
// wait.
#pragma once

#include <pthread.h>

namespace w32 {

// Holds the calling thread's cancellation off for the life of the object and puts the
// state before back at its end; nests.
struct W32NoCancel {
  W32NoCancel() { pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &before); }
  ~W32NoCancel() { pthread_setcancelstate(before, nullptr); }
  W32NoCancel(const W32NoCancel&) = delete;
  W32NoCancel& operator=(const W32NoCancel&) = delete;

  int before = PTHREAD_CANCEL_ENABLE;
};

}  // namespace w32
