// The test read-out: what a person sees of the main window, written to a
// text file for programs that drive the editor from outside (the user
// scenarios under tests/editor/scenarios). It is off unless the environment
// variable MAP_EDITOR_TEST_READOUT names the file; nothing else reads or
// writes it.
//
// The file is replaced whole (write and rename) whenever what it shows
// changes; its last line is "end". Each line is a key and tab-separated
// fields; texts have their tabs and line breaks written as blanks and "\n".
// Rectangles are x, y, width and height in screen pixels.
//
//   serial   <n>                     grows with every write
//   title    <text>                  the main window's caption
//   window   <x> <y> <w> <h>         the main window, its frame included
//   inputs   <presses> <releases> <keys> <wheels>
//                                    mouse presses and releases, key presses
//                                    and wheel turns the program's windows
//                                    received from the window system
//   mouse    <x> <y>                 where the last of those mouse events was
//   grab     <class>                 the widget holding the mouse, else empty
//   painted  <0|1>                   the first map has been painted
//   map      <x> <y> <w> <h>         the current map's window, when a map is open
//   tabs     <count> <current>       the map tabs
//   tab      <index> <caption> <x> <y> <w> <h>
//   status   <index> <text>          the status bar's panels, 0 to 8
//   button   <id> <hint> <x> <y> <w> <h> <enabled> <checked>
//                                    the visible tool-bar buttons
//   menu     <title> <x> <y> <w> <h> <enabled>
//                                    the menu bar's titles ("&" removed)
//   item     <menu> <text> <x> <y> <w> <h> <enabled> <checked>
//                                    the items of each open menu
//   dialog   <class> <title> <text>  each other visible window (a message
//                                    box's text, informative text included)
//   dbutton  <text> <x> <y> <w> <h>  the buttons of those windows
//   end
#pragma once

#include <functional>

class TfrmMain;

// The environment variable that names the read-out file.
inline constexpr const char *kTestReadoutVariable = "MAP_EDITOR_TEST_READOUT";

// Starts the read-out of the main window when the variable is set; does
// nothing otherwise. Call it once, after the forms are created. It takes
// the window's report of the first painted map; firstPaintReport, the
// program's own report (or none), is called after it notes the paint.
void StartTestReadout(TfrmMain &form, std::function<void()> firstPaintReport);
