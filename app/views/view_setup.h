// The View Setup dialog, run by the View Setup command.
#pragma once

// Builds and runs the dialog; 0 or the first failing host status.
int YrlViewSetup();
