/* String ids of the model's resource library besides the kit status messages (whose ids are the
   status codes). Shared by the resource scripts and the modules that load the strings. */
#pragma once

/* Names of the paper sources offered by the device capabilities. */
#define IDS_BIN_AUTO 3365
#define IDS_BIN_FORM_SOURCE 3366
#define IDS_BIN_MANUAL 3367
#define IDS_BIN_TRAY1 3368
#define IDS_BIN_TRAY2 3369
#define IDS_BIN_TRAY3 3370

/* The name offered for a new custom medium. */
#define IDS_NEW_CUSTOM_MEDIUM 17060

/* The help file's name, in the folder of the driver's help file. */
#define IDS_HELP_FILE_NAME 26000
