// What the process runners need of the signal layer.
#pragma once

namespace vek {

// Installs handler for signal without keeping the old one; 0.
int vek_set_signal_handler(int signal, void (*handler)(int));

}  // namespace vek
