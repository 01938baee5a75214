// The Clean Up dialog, run by the Clean Up command.
#pragma once

// Builds and runs the dialog.
int YrlCleanup();
