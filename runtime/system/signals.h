// Signals: the ansi_ level over the C runtime's signals and the alarm emulation, and the
// ctsu_ utility of signal items, handler sets, signal-set words and a debug handler
// stack per signal.
//
// Signal numbers are the C runtime's; 14 is the alarm of the emulation (ntsys.h) and -1
// a signal this platform does not have. Signal masks and pending sets do not exist here:
// the mask operations change nothing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/system/ntsys.h"
#include "runtime/vekbase.h"

namespace vek {

struct VynProc;  // a process record of the process runners (process.h)

// A signal set: signal s is bit s mod 32.
typedef std::uint32_t SigSet;

constexpr int SIG_UNSUPPORTED = -1;
constexpr int SIG_NAME_SIZE = 40;

// A handler with its masks and a name; every ctsu_ operation takes one.
struct SigItem {
  std::int32_t signal;
  NtSignalHandler handler;  // SIG_DFL and SIG_IGN allowed
  SigSet mask;
  // The mask to set while the handler is installed; after an install, in the old item,
  // the mask that was in force.
  SigSet second_mask;
  std::uint32_t flags;
  char name[SIG_NAME_SIZE];  // zero-terminated
};
static_assert(offsetof(SigItem, signal) == 0);
static_assert(offsetof(SigItem, handler) == 8);
static_assert(offsetof(SigItem, mask) == 16);
static_assert(offsetof(SigItem, second_mask) == 20);
static_assert(offsetof(SigItem, flags) == 24);
static_assert(offsetof(SigItem, name) == 28);

// Statuses of the ansi_ level.
enum {
  ANSI_SIG_OK = 0,
  ANSI_SIG_BAD_ARGS = 1,
  ANSI_SIG_SYSTEM_ERROR = 2,
  ANSI_SIG_APPLICATION_ERROR = 3,
  ANSI_SIG_NOT_SUPPORTED = 4,
};

// ---- ansi_ level: statuses above; a null argument gives 1.

// Installs item's handler for item's signal; *old (when given) gets {signal, previous
// handler}. 2 when the C runtime refuses the signal.
int ansi_install_signal_handler(const SigItem* item, SigItem* old);
// *out gets {signal, current handler}; nothing is installed on the way. 2 when the C
// runtime does not know the signal.
int ansi_get_signal_handler(int signal, SigItem* out);
// Raises the signal: 0, 3 when the C runtime's raise fails, 4 for -1. The alarm (14)
// belongs to the emulation and is never raised for real: 3.
int ansi_raise_signal(int signal);
// 15 and -1 end the process or thread of the record (vyn_kill_subprocess): 0, or 2 when
// it cannot be ended; any other signal 4.
int ansi_send_signal(VynProc* process, int signal);
// Masks do not exist here: 4.
int ansi_set_signal_mask(const SigSet* set);
int ansi_set_signal_mask_top(const SigSet* set);
int ansi_get_signal_mask(SigSet* set);
int ansi_restore_signal_mask(const SigSet* set);
// Copy between an item and a {signal, handler} pair: 0.
int sig_descr_to_generic(const SigItem* item, NtSignalHandler* handler, int* signal);
int sig_generic_to_descr(const int* signal, const NtSignalHandler* handler, SigItem* out);

// ---- ctsu_ utility: 1 for success and 0 for failure or a null argument.

// Fills *item: the signal, the handler, the masks given, the flags and the name cut to
// 39 characters. For signal -1 the name is marked "UNSUPPORTED" (appended to a name
// shorter than 27 characters, else written over positions 27 to 37).
int ctsu_create_sigitem(SigItem* item, int signal, NtSignalHandler handler, const SigSet* mask,
                        const SigSet* second_mask, std::uint32_t flags, const char* name);
// Clears all but the signal.
int ctsu_init_signal_item(SigItem* item);
// Installs item; *old (when given) gets what it replaced. Signal -1 installs nothing and
// gives 1 with old's signal -1. A refusal prints
// "INSTALL_SIGNAL_HANDLER : Failed in Install: <system error>" on standard error.
int ctsu_install_signal_handler(const SigItem* item, SigItem* old);
// Puts a saved item back (a refusal prints "... Failed in Restore").
int ctsu_restore_signal_handler(const SigItem* item);

// One handler for n signals, and what it replaced.
struct SigHandlerSet {
  SigItem* items;       // xarray of n items to install
  SigItem* replaced;    // xarray of n items receiving the handlers replaced
  SigItem** installed;  // xarray of n: &replaced[i] for an installed signal, else null
  int count;
  int in_use;
};

// Prepares *set for the n signals with one handler; a null or empty name gives
// "ctsu_set_signal_handlers". 0 for bad arguments.
int ctsu_init_signal_handlers(SigHandlerSet* set, const int* signals, int n,
                              NtSignalHandler handler, const char* name);
// Installs the set (last signal first): 1 when every signal was installed. A set in
// use is refused with "Handlers already in use." (0).
int ctsu_set_signal_handlers(SigHandlerSet* set);
// Puts back what the set replaced, in the reverse order of installing, so that a
// signal named twice ends with its first handler: 1 when every restore succeeded. A
// set not in use is refused with "Can't restore handlers twice." (0).
int ctsu_restore_signal_handlers(SigHandlerSet* set);

// Sends with a trace on standard error: "SENDING SIGNAL : Signal number : %d\n", then
// (but for -1, which gives 1 at once) "SENT SIGNAL\n" or the line of the status. 1 for
// sent or unsupported, else 0.
int ctsu_send_signal(VynProc* process, int signal);

// Masks do not exist here and count as success: the old set (when given) comes back
// empty. 0 when both are null.
int ctsu_set_signal_mask(const SigSet* set, SigSet* old);
// Empty *set; 1.
int ctsu_get_signal_mask(SigSet* set);
int ctsu_restore_signal_mask(SigSet* set);
// Empties *set and answers 0: nothing can be pending.
int ctsu_get_pending_sigset(SigSet* set);

// Set words; each answers 0 for a null set.
int ctsu_isempty_sigset(const SigSet* set);
int ctsu_empty_sigset(SigSet* set);
int ctsu_fill_sigset(SigSet* set);
int ctsu_addto_sigset(int signal, SigSet* set);
int ctsu_delfrom_sigset(int signal, SigSet* set);
int ctsu_ismember_sigset(int signal, const SigSet* set);

// 1 for the ansi_ statuses 0 and 4, else 0.
int ctsu_convert_stat(int status);
// Prints the line of a failed or unsupported ansi_ status on standard error ("BAD
// ARGS\n", "SYSTEM ERROR\n", "APPLICATION ERROR\n", "OPERATION NOT SUPPORTED\n") and
// answers ctsu_convert_stat of it; nothing is printed for 0 or an unknown status.
int su_trace_status(int status);
int ctsu_init_signal_utility();
int ctsu_install_mmap_handler();

// ---- Debug handler stack: MAX_SIGSTACK_SIZE copies of items for each signal 0..39.

constexpr int SIG_STACK_SIGNALS = 40;
constexpr int MAX_SIGSTACK_SIZE = 20;

// Pushes a copy of item on its signal's stack: 0; 3 with two lines on standard error
// when the stack is full; 1 for a null item or a signal outside 0..39.
int su_push_sigitem(const SigItem* item);
// Drops the top item and gives the new top through *out: 0; 3 with a line on standard
// error when only the bottom item (or nothing) is left; 1 for a null out or a signal
// outside 0..39.
int su_pop_sigitem(int signal, SigItem* out);
// The highest occupied slot, 0 when only slot 0 or none is; -1 for a signal outside
// 0..39.
int get_stack_head(int signal);

// Copies *from into *to: 1, 0 for a null set.
int su_copy_mask(const SigSet* from, SigSet* to);
// Prints "0x%x" on standard error: 1, 0 for a null set.
int su_print_mask(const SigSet* set);

// Installs handler for the signal, not keeping the old one: 0.
int vek_set_signal_handler(int signal, NtSignalHandler handler);
// The I/O signal does not exist here: nothing is installed and the previous handler
// given back is null.
NtSignalHandler vek_set_SIGIO_handler(NtSignalHandler handler);

// The process's user handler slot, null at start.
extern NtSignalHandler user_handler_function;
void set_user_handler_function(NtSignalHandler handler);
int verify_current_handler(VynWord value);

}  // namespace vek
