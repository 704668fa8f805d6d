#pragma once
// Resource numbers shared by the resource script and the program.
// Pictures of the main window and the picker.
#define IDB_FIRST 100
