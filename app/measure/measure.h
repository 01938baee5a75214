// The Calculate Scale dialog "yrlmeasure": the drawing scale from one dimension, as the
// length measured on the sheet over the dimension's value.
#pragma once

#include "toolkit/api/host_base_types.h"
#include "toolkit/tkbase.h"

// Runs the dialog; 0 when it ended with Ok and a scale not within 0.01 of 0, else -1.
// scale (when not null) always receives the computed scale (0 when none).
int YrlMeasureDialog(double* scale);
// The dimension's value; one within 0.01 of 0 is read from its first text line instead.
int YrlDimensionValueGet(VynDimension* dimension, double* value);

void YrlMeasureOkAction(char* dialog, char* component, void* app_data);
void YrlMeasureCancelAction(char* dialog, char* component, void* app_data);
void YrlFromPickAction(char* dialog, char* component, void* app_data);
void YrlToPickAction(char* dialog, char* component, void* app_data);
void YrlDimPickAction(char* dialog, char* component, void* app_data);
void YrlComputeAction(char* dialog, char* component, void* app_data);
