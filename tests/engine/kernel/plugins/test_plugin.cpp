// A plug-in menu module for the tests: adds items to the menu it is given
// and answers its commands. Built as:
//   PLUGIN_FIVE       five items, returns first + 4
//   PLUGIN_GREEDY     one item, returns an id past the range it was given
//   PLUGIN_NONE       adds nothing, returns 0
//   PLUGIN_NOCOMMAND  five items but no DLL_Command entry
#include "platform/menu.h"

#include <cstdint>
#include <string>

extern "C" {

__attribute__((visibility("default"))) uint16_t DLL_ChangeMenu(HMENU menu, uint16_t first, uint16_t last,
                                                               int position)
{
#if defined(PLUGIN_NONE)
    (void)menu, (void)first, (void)last, (void)position;
    return 0;
#elif defined(PLUGIN_GREEDY)
    (void)last;
    InsertMenuA(menu, UINT(position), MF_BYPOSITION | MF_STRING, first, "Greedy");
    return uint16_t(last + 10);
#else
    uint16_t id = first;
    for (int i = 0; i < 5 && id <= last; ++i, ++id)
        InsertMenuA(menu, UINT(position + i), MF_BYPOSITION | MF_STRING, id,
                    ("Item " + std::to_string(i)).c_str());
    return uint16_t(id - 1);
#endif
}

#if !defined(PLUGIN_NOCOMMAND)
__attribute__((visibility("default"))) int DLL_Command(HWND window, uint16_t commandId)
{
    (void)window;
    return 100000 + commandId;
}
#endif
}
