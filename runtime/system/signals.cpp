#include "runtime/system/signals.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "runtime/diag/console.h"
#include "runtime/diag/diag.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/system/process.h"
#include "runtime/system/signals_testing.h"

namespace vek {

NtSignalHandler user_handler_function = nullptr;

namespace {

const char kUnsupportedMark[] = "UNSUPPORTED";
constexpr int kUnsupportedMarkLength = sizeof kUnsupportedMark - 1;
// A name from this length on gets the mark written over its tail, not appended.
constexpr int kUnsupportedMarkAt = 27;

// The debug stack: getmem copies of items, filled from slot 0 upward.
SigItem* g_stack[SIG_STACK_SIGNALS][MAX_SIGSTACK_SIZE] = {};

int g_utility_initialised = 0;
int g_sigio_calls = 0;
SigItem g_sigio_old = {};

bool on_stack_table(int signal) { return signal >= 0 && signal < SIG_STACK_SIGNALS; }

// The bit of a signal in a set word; a negative number wraps as on the 32-bit target.
SigSet signal_bit(int signal) { return SigSet{1} << (static_cast<unsigned>(signal) & 31u); }

// Install and restore differ only in the text of a refusal and in whether the mask in
// force is kept.
int install_item(const SigItem* item, SigItem* old, const char* refusal) {
  if (item == nullptr) return 0;
  if (item->signal == SIG_UNSUPPORTED) {
    if (old != nullptr) old->signal = SIG_UNSUPPORTED;
    return 1;
  }
  SigItem scratch = {};
  SigItem* replaced = old != nullptr ? old : &scratch;
  ctsu_init_signal_item(replaced);
  errno = 0;
  int status = ansi_install_signal_handler(item, replaced);
  if (!ctsu_convert_stat(status)) {
    int error = errno;
    ivek_fprintf(stderr, "INSTALL_SIGNAL_HANDLER : %s: %s\n", refusal, std::strerror(error));
    return 0;
  }
  if (item->second_mask != 0 &&
      !ctsu_set_signal_mask(&item->second_mask, old != nullptr ? &old->second_mask : nullptr)) {
    ivek_fprintf(stderr, "UNABLE TO SET MASK ON INSTALL\n");
    return 0;
  }
  return 1;
}

}  // namespace

// ---- ansi_ level

int ansi_install_signal_handler(const SigItem* item, SigItem* old) {
  if (item == nullptr) return ANSI_SIG_BAD_ARGS;
  NtSignalHandler previous = NT_signal(item->signal, item->handler);
  if (previous == SIG_ERR) return ANSI_SIG_SYSTEM_ERROR;
  if (old != nullptr) {
    old->signal = item->signal;
    old->handler = previous;
  }
  return ANSI_SIG_OK;
}

int ansi_get_signal_handler(int signal, SigItem* out) {
  if (out == nullptr) return ANSI_SIG_BAD_ARGS;
  NtSignalHandler current;
  if (signal == NT_SIGALRM) {
    current = NT_alarm_handler();
  } else {
    // Read in place: installing the default for a moment would let a signal arriving
    // in between take the default action.
    struct sigaction action;
    if (sigaction(signal, nullptr, &action) != 0) return ANSI_SIG_SYSTEM_ERROR;
    current = action.sa_handler;
  }
  out->signal = signal;
  out->handler = current;
  return ANSI_SIG_OK;
}

int ansi_raise_signal(int signal) {
  if (signal == SIG_UNSUPPORTED) return ANSI_SIG_NOT_SUPPORTED;
  // The alarm is the emulation's; the C runtime of the target has none to raise.
  if (signal == NT_SIGALRM) return ANSI_SIG_APPLICATION_ERROR;
  return std::raise(signal) != 0 ? ANSI_SIG_APPLICATION_ERROR : ANSI_SIG_OK;
}

int ansi_send_signal(VynProc* process, int signal) {
  if (process == nullptr) return ANSI_SIG_BAD_ARGS;
  if (signal != SIGTERM && signal != SIG_UNSUPPORTED) return ANSI_SIG_NOT_SUPPORTED;
  return vyn_kill_subprocess(process) != 0 ? ANSI_SIG_OK : ANSI_SIG_SYSTEM_ERROR;
}

int ansi_set_signal_mask(const SigSet* set) {
  return set == nullptr ? ANSI_SIG_BAD_ARGS : ANSI_SIG_NOT_SUPPORTED;
}

int ansi_set_signal_mask_top(const SigSet* set) { return ansi_set_signal_mask(set); }

int ansi_get_signal_mask(SigSet* set) { return ansi_set_signal_mask(set); }

int ansi_restore_signal_mask(const SigSet* set) { return ansi_set_signal_mask(set); }

int sig_descr_to_generic(const SigItem* item, NtSignalHandler* handler, int* signal) {
  if (item == nullptr || handler == nullptr || signal == nullptr) return ANSI_SIG_BAD_ARGS;
  *signal = item->signal;
  *handler = item->handler;
  return ANSI_SIG_OK;
}

int sig_generic_to_descr(const int* signal, const NtSignalHandler* handler, SigItem* out) {
  if (signal == nullptr || handler == nullptr || out == nullptr) return ANSI_SIG_BAD_ARGS;
  out->signal = *signal;
  out->handler = *handler;
  return ANSI_SIG_OK;
}

// ---- ctsu_ utility

int ctsu_init_signal_item(SigItem* item) {
  if (item == nullptr) return 0;
  item->handler = nullptr;
  item->mask = 0;
  item->second_mask = 0;
  item->flags = 0;
  std::memset(item->name, 0, sizeof item->name);
  return 1;
}

int ctsu_create_sigitem(SigItem* item, int signal, NtSignalHandler handler, const SigSet* mask,
                        const SigSet* second_mask, std::uint32_t flags, const char* name) {
  if (item == nullptr) return 0;
  ctsu_init_signal_item(item);
  item->signal = signal;
  item->handler = handler;
  if (mask != nullptr) item->mask = *mask;
  if (second_mask != nullptr) item->second_mask = *second_mask;
  item->flags |= flags;
  // The name is cut to fit; the bytes after it stay zero.
  if (name != nullptr) std::memcpy(item->name, name, strnlen(name, SIG_NAME_SIZE - 1));
  if (signal == SIG_UNSUPPORTED) {
    std::size_t length = std::strlen(item->name);
    if (length < kUnsupportedMarkAt)
      std::memcpy(item->name + length, kUnsupportedMark, kUnsupportedMarkLength);
    else
      std::memcpy(item->name + kUnsupportedMarkAt, kUnsupportedMark, kUnsupportedMarkLength);
  }
  return 1;
}

int ctsu_install_signal_handler(const SigItem* item, SigItem* old) {
  return install_item(item, old, "Failed in Install");
}

int ctsu_restore_signal_handler(const SigItem* item) {
  return install_item(item, nullptr, "Failed in Restore");
}

int ctsu_init_signal_handlers(SigHandlerSet* set, const int* signals, int n,
                              NtSignalHandler handler, const char* name) {
  if (set == nullptr || signals == nullptr || n < 1 || n > xar_max_count_get(static_cast<int>(sizeof(SigItem))))
    return 0;
  const char* item_name = name != nullptr && name[0] != '\0' ? name : "ctsu_set_signal_handlers";
  set->items = static_cast<SigItem*>(xar_alloc(n, static_cast<int>(sizeof(SigItem)), 1));
  set->replaced = static_cast<SigItem*>(xar_alloc(n, static_cast<int>(sizeof(SigItem)), 1));
  set->installed = static_cast<SigItem**>(xar_alloc(n, static_cast<int>(sizeof(SigItem*)), 1));
  for (int i = 0; i < n; ++i) {
    ctsu_create_sigitem(&set->items[i], signals[i], handler, nullptr, nullptr, 0, item_name);
    ctsu_init_signal_item(&set->replaced[i]);
    set->installed[i] = nullptr;
  }
  set->count = n;
  set->in_use = 0;
  return 1;
}

int ctsu_set_signal_handlers(SigHandlerSet* set) {
  if (set == nullptr) return 0;
  if (set->in_use) {
    dbg_err_crash("ctsu_set_signal_handlers", "Handlers already in use.");
    return 0;
  }
  set->in_use = 1;
  int all = 1;
  for (int i = set->count - 1; i >= 0; --i) {
    if (set->installed[i] != nullptr)
      dbg_err_crash("ctsu_set_signal_handlers", "Set handlers twice without intervening restore");
    if (ctsu_install_signal_handler(&set->items[i], &set->replaced[i])) {
      set->installed[i] = &set->replaced[i];
    } else {
      set->installed[i] = nullptr;
      all = 0;
    }
  }
  return all;
}

int ctsu_restore_signal_handlers(SigHandlerSet* set) {
  if (set == nullptr) return 0;
  if (!set->in_use) {
    dbg_err_crash("ctsu_restore_signal_handlers", "Can't restore handlers twice.");
    return 0;
  }
  set->in_use = 0;
  int all = 1;
  // Installing ran from the last signal to the first; undoing runs the other way, so a
  // signal named twice gets back the handler it had before the set.
  for (int i = 0; i < set->count; ++i) {
    if (set->installed[i] == nullptr) continue;
    if (!ctsu_restore_signal_handler(set->installed[i])) all = 0;
    set->installed[i] = nullptr;
  }
  return all;
}

int ctsu_send_signal(VynProc* process, int signal) {
  ivek_fprintf(stderr, "SENDING SIGNAL : Signal number : %d\n", signal);
  if (signal == SIG_UNSUPPORTED) return 1;
  int status = ansi_send_signal(process, signal);
  if (status == ANSI_SIG_OK) {
    ivek_fprintf(stderr, "SENT SIGNAL\n");
    return 1;
  }
  return su_trace_status(status);
}

int ctsu_set_signal_mask(const SigSet* set, SigSet* old) {
  if (set == nullptr && old == nullptr) return 0;
  if (old != nullptr) *old = 0;
  return ctsu_convert_stat(set != nullptr ? ansi_set_signal_mask(set) : ANSI_SIG_NOT_SUPPORTED);
}

int ctsu_get_signal_mask(SigSet* set) { return ctsu_empty_sigset(set); }

int ctsu_restore_signal_mask(SigSet* set) { return ctsu_empty_sigset(set); }

int ctsu_get_pending_sigset(SigSet* set) {
  ctsu_empty_sigset(set);
  return 0;
}

int ctsu_isempty_sigset(const SigSet* set) { return set != nullptr && *set == 0 ? 1 : 0; }

int ctsu_empty_sigset(SigSet* set) {
  if (set == nullptr) return 0;
  *set = 0;
  return 1;
}

int ctsu_fill_sigset(SigSet* set) {
  if (set == nullptr) return 0;
  *set = ~SigSet{0};
  return 1;
}

int ctsu_addto_sigset(int signal, SigSet* set) {
  if (set == nullptr) return 0;
  *set |= signal_bit(signal);
  return 1;
}

int ctsu_delfrom_sigset(int signal, SigSet* set) {
  if (set == nullptr) return 0;
  *set &= ~signal_bit(signal);
  return 1;
}

int ctsu_ismember_sigset(int signal, const SigSet* set) {
  return set != nullptr && (*set & signal_bit(signal)) != 0 ? 1 : 0;
}

int ctsu_convert_stat(int status) {
  return status == ANSI_SIG_OK || status == ANSI_SIG_NOT_SUPPORTED ? 1 : 0;
}

int su_trace_status(int status) {
  static const char* const kLines[] = {nullptr, "BAD ARGS\n", "SYSTEM ERROR\n",
                                       "APPLICATION ERROR\n", "OPERATION NOT SUPPORTED\n"};
  if (status > ANSI_SIG_OK && status <= ANSI_SIG_NOT_SUPPORTED)
    ivek_fprintf(stderr, "%s", kLines[status]);
  return ctsu_convert_stat(status);
}

int ctsu_init_signal_utility() {
  g_utility_initialised = 1;
  return 1;
}

int ctsu_install_mmap_handler() { return 1; }

// ---- Debug handler stack

int get_stack_head(int signal) {
  if (!on_stack_table(signal)) return -1;
  SigItem* const* slots = g_stack[signal];
  if (slots[MAX_SIGSTACK_SIZE - 1] != nullptr) return MAX_SIGSTACK_SIZE - 1;
  for (int k = MAX_SIGSTACK_SIZE - 2; k >= 0; --k)
    if (slots[k] != nullptr && slots[k + 1] == nullptr) return k;
  return 0;
}

int su_push_sigitem(const SigItem* item) {
  if (item == nullptr || !on_stack_table(item->signal)) return 1;
  SigItem** slots = g_stack[item->signal];
  int index = 0;
  if (slots[0] != nullptr) {
    index = get_stack_head(item->signal) + 1;
    if (index >= MAX_SIGSTACK_SIZE) {
      ivek_fprintf(stderr, "EXCEEDED DEBUG SIGNAL HANDLER STACK\n");
      ivek_fprintf(stderr, "INCREASE THE VALUE OF MAX_SIGSTACK_SIZE \n");
      return 3;
    }
  }
  SigItem* copy = static_cast<SigItem*>(getmem(sizeof(SigItem)));
  *copy = *item;
  slots[index] = copy;
  return 0;
}

int su_pop_sigitem(int signal, SigItem* out) {
  if (out == nullptr || !on_stack_table(signal)) return 1;
  int head = get_stack_head(signal);
  if (head < 1) {
    ivek_fprintf(stderr, "EXHAUSTED DEBUG SIGNAL HANDLER STACK\n");
    return 3;
  }
  SigItem** slots = g_stack[signal];
  rlsmem(slots[head]);
  slots[head] = nullptr;
  *out = *slots[head - 1];
  return 0;
}

int su_copy_mask(const SigSet* from, SigSet* to) {
  if (from == nullptr || to == nullptr) return 0;
  *to = *from;
  return 1;
}

int su_print_mask(const SigSet* set) {
  if (set == nullptr) return 0;
  ivek_fprintf(stderr, "0x%x", *set);
  return 1;
}

// ---- Entries of older callers

int vek_set_signal_handler(int signal, NtSignalHandler handler) {
  SigItem item = {};
  ctsu_create_sigitem(&item, signal, handler, nullptr, nullptr, 0, nullptr);
  ctsu_install_signal_handler(&item, nullptr);
  return 0;
}

NtSignalHandler vek_set_SIGIO_handler(NtSignalHandler handler) {
  if (g_sigio_calls++ > 0) {
    g_sigio_calls = 1;
    return g_sigio_old.handler;
  }
  SigItem item = {};
  ctsu_create_sigitem(&item, SIG_UNSUPPORTED, handler, nullptr, nullptr, 0, nullptr);
  return ctsu_install_signal_handler(&item, &g_sigio_old) ? g_sigio_old.handler : nullptr;
}

void set_user_handler_function(NtSignalHandler handler) { user_handler_function = handler; }

int verify_current_handler(VynWord value) {
  (void)value;
  return 0;
}

// ---- Test hooks

void signals_testing_reset() {
  for (auto& slots : g_stack)
    for (SigItem*& slot : slots) {
      if (slot != nullptr) rlsmem(slot);
      slot = nullptr;
    }
  g_utility_initialised = 0;
  g_sigio_calls = 0;
  g_sigio_old = SigItem{};
  user_handler_function = nullptr;
}

}  // namespace vek
