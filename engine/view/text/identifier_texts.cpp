#include "engine/view/text/identifier_texts.h"

#include "engine/view/text/text_object.h"
#include "engine/window/window_text.h"

OBJHANDLE IdentifierTextCreate(HWND window, const char *string, const _COORDPT *anchor, const char *face,
                               int32_t size, int style, uint16_t flags)
{
    OBJHANDLE text = 0;
    map_text_Create(window, &text, string, anchor, face, size, style, 0, 0, 0, flags, 0);
    return text;
}

int IdentifierTextSet(OBJectKernel *kernel, HWND window, OBJHANDLE text, const char *string)
{
    if (!TextObjectTextSet(kernel, text, string))
        return 0;
    if (window)
        TextObjectRecalcRect(window, text);
    return 1;
}
