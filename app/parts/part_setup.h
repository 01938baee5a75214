// Part Setup, run by the Part Setup command.
#pragma once

// The command: New Part when the drawing holds no part yet, else the Part Setup dialog.
int YrlPartSetupMain();
// Builds and runs the Part Setup dialog.
int YrlPartSetup();
