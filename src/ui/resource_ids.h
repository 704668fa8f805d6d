#pragma once
// Resource numbers shared by the resource script and the program.
// Pictures of the main window and the picker (drawn at build time by make_pictures.py).
#define IDB_FIRST 100
#define IDB_BACKGROUND 100
#define IDB_ABOUT_LOGO 101
#define IDB_GAME_LOGO 102
#define IDB_BENCH_UP 103
#define IDB_BENCH_DOWN 104
#define IDB_MINIMIZE_UP 105
#define IDB_MINIMIZE_DOWN 106
#define IDB_EXIT_UP 107
#define IDB_EXIT_DOWN 108
#define IDB_TOOL_IMAGES 109
#define IDB_SPONSOR_LARGE 110
#define IDB_SPONSOR_BANNER 111
#define IDB_SPONSOR_SMALL 112
#define IDB_PICKER_BACKGROUND 113
#define IDB_WIZARD_PICTURE 114  // the update wizard's 118 x 218 picture

// Images of the tool image list (IDB_TOOL_IMAGES), 16 x 16 each.
#define IMG_FOLDER 0
#define IMG_OPEN_FOLDER 1
#define IMG_UPDATE 2
#define IMG_HELP 3
#define IMG_HOME 4
#define IMG_LINK 5
#define IMG_CLOSE 6
#define IMG_DEMO 7

// Controls known outside the window: test tools and the headless demo press the run button
// and read the status line of the running program.
#define IDC_BENCHBUTTON 4001
#define IDC_STATUSINFO 4002
#define IDC_UPDATEBUTTON 4003  // ToolButton3, "Update benchmark"
#define QUORVEL_MAIN_WINDOW_CLASS "QuorvelMainWindow"
