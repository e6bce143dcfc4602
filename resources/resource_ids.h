// Ids of the program's resources, shared by the resource script and the code that loads them.
#pragma once

#define QX7_ICON 1
#define QX7_DIALOG_PROBE_TYPE 4
#define QX7_DIALOG_CALIBRATION 5

// Ordinals by which a dialog template names the system's predefined control classes.
#define QX7_CLASS_BUTTON 0x0080
#define QX7_CLASS_EDIT 0x0081
#define QX7_CLASS_STATIC 0x0082
#define QX7_CLASS_COMBOBOX 0x0085
